#include "FormConfigCase.h"

#include "app/Discddd.h"
#include "app/Msgdlg.h"
#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "platform/Library.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Erros.h"
#include "settings/Log.h"
#include "settings/Logcon.h"
#include "settings/Xmlvyn.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
// Campinas, area code 19, one access number.
const char* const kTels =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<ESTADOS><ESTADO sigla=\"SP\" capital=\"S\xe3o Paulo\">"
    "<CIDADE nome=\"Campinas\" ddd=\"19\"><TEL>32345678</TEL></CIDADE>"
    "</ESTADO></ESTADOS>\n";

template <class T>
void Remove(T*& object) {
    delete object;
    object = nullptr;
}

TFormConfig* MirvanesDialog() {
    Application->CreateForm(FormConfig);
    return FormConfig;
}
}  // namespace

FormConfigCase::FormConfigCase() : makeDialog_(MirvanesDialog) {
    machine.installDialUpService();
    // The test program stands in for Mirvane.exe: the entry is named after its version.
    fs::create_symlink(fs::read_symlink("/proc/self/exe"), machine.path("Mirvane.exe"));
    machine.writeMachineFile("devices.txt", "modem\tModem Padrão 56K\nisdn\tRDSI Interna\nmodem\tConexant HCF\n");
    machine.writeProgramFile("tels", kTels);
}

FormConfigCase::~FormConfigCase() {
    Stop();
    FormConfig = nullptr;
}

void FormConfigCase::UseEdition(const TEdition& edition, const std::string& programFile,
                                std::function<TFormConfig*()> makeDialog) {
    edition_ = &edition;
    makeDialog_ = std::move(makeDialog);
    if (!fs::exists(machine.path(programFile)))
        fs::create_symlink(fs::read_symlink("/proc/self/exe"), machine.path(programFile));
    SetProgramFileName(Utf8ToAnsi(machine.path(programFile)));
}

TServices FormConfigCase::Services() const { return {Logger, XMLvyn, Conf, ChecaMail, Erros, LogCon, edition_}; }

void FormConfigCase::Start(const std::string& settings) {
    if (!settings.empty()) machine.writeProgramFile("Mirvane.ini", settings);
    Logger = new TLogger;
    XMLvyn = new TXMLvyn(Services());
    ASSERT_TRUE(XMLvyn->Load("tels"));
    Conf = new TConf(Services());
    Conf->Load();
    XMLvyn->SelectCity(Conf->GetEstado(), Conf->GetCidade());
    ChecaMail = new TChecaMail(Services(), nullptr);
    Erros = new TErros(Services());
    LogCon = new TLogCon(Services());
    Dialer = new TDialer(Services(), nullptr);
    IEConnection = new TIEConnection(Services(), Dialer->GetAutodialAddressEntry(),
                                     Dialer->SetAutodialAddressEntry());
    Application->CreateForm(MsgDialog);
    Application->CreateForm(frmDiscDDD);
    FormConfig = makeDialog_();
    ASSERT_FALSE(Application->Terminated());
    service_ = LoadLibraryA("RASAPI32.DLL");
    auto control = reinterpret_cast<PFN_VynSimControl>(GetProcAddress(service_, "VynSimControl"));
    ASSERT_NE(control, nullptr);
    sim_ = control();
    sim_->Reset();  // from here on, only what the dialog does
    entryBefore_ = PhonebookEntry(kEntry);
    ASSERT_FALSE(entryBefore_.empty());
}

void FormConfigCase::Stop() {
    ReleaseApplicationForms();
    FormConfig = nullptr;
    MsgDialog = nullptr;
    frmDiscDDD = nullptr;
    Remove(IEConnection);
    Remove(LogCon);
    Remove(Erros);
    Remove(XMLvyn);
    Remove(Conf);
    Remove(Dialer);
    Remove(ChecaMail);
    Remove(Logger);
    if (service_) FreeLibrary(service_);
    service_ = nullptr;
}

std::string FormConfigCase::LastEntry() {
    auto calls = sim_->Calls("RasSetEntryPropertiesA");
    return calls.empty() ? std::string() : calls.back().Buffer("entry");
}

std::string FormConfigCase::PhonebookEntry(const AnsiString& name) {
    std::ifstream in(machine.dir() + "/phonebook.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string n, size, hex;
        std::getline(fields, n, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, hex);
        if (Utf8ToAnsi(n) != name) continue;
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    }
    return {};
}

std::string FormConfigCase::Field(const std::string& entry, std::size_t offset, std::size_t size) {
    std::string f = entry.substr(offset, size);
    return f.substr(0, f.find('\0'));
}

int FormConfigCase::Show(std::vector<FormRobot::Step> steps) {
    FormRobot robot;
    robot.then([steps](TForm* f) {
        for (auto& s : steps) s(f);
    });
    int result = FormConfig->ShowModal();
    EXPECT_TRUE(robot.done());
    return result;
}

int FormConfigCase::TypeAndPressOk(TEdit* edit, const std::string& text, const char* refusal) {
    std::string before = machine.readProgramFile("Mirvane.ini");
    std::size_t boxes = RecordedMessageBoxes().size();
    sim_->Reset();
    int result = Show({[&](TForm* f) {
        FormConfig->ButtonOk->SetFocus();
        edit->SetText(text);
        PressOk(f);
        if (!refusal) return;
        auto shown = RecordedMessageBoxes();
        ASSERT_EQ(shown.size(), boxes + 1);
        EXPECT_EQ(shown.back().text, refusal);
        EXPECT_TRUE(edit->Focused());
        EXPECT_TRUE(f->Widget()->isVisible());
        EXPECT_EQ(f->ModalResult(), mrNone);
        FormRobot::Press(FormConfig->ButtonCancel);
    }});
    EXPECT_EQ(result, refusal ? mrCancel : mrOk);
    if (refusal) {
        EXPECT_EQ(machine.readProgramFile("Mirvane.ini"), before);
        EXPECT_TRUE(sim_->Calls("RasSetEntryPropertiesA").empty());
    }
    return result;
}

FormRobot::Step FormConfigCase::Fill(const char* outside, int modem, int toneOrPulse, const char* callWaiting) {
    return [=](TForm*) {
        FormConfig->EditConfLinhaExterna->SetText(outside);
        FormConfig->ComboBoxModems->SetItemIndex(modem);
        FormConfig->RadioGroupTomPulso->SetItemIndex(toneOrPulse);
        FormConfig->EditConfChamada->SetText(callWaiting);
    };
}

void FormConfigCase::PressOk(TForm*) { FormRobot::Press(FormConfig->ButtonOk); }
