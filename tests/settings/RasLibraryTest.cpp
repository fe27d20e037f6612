#include "SettingsFixture.h"

#include "settings/RasLibrary.h"

#include "platform/Application.h"
#include "platform/RasApi.h"

#include <gtest/gtest.h>
#include <optional>

// The binding as its callers use it: two needed entry points around a wanted one, judged
// fatally (the settings, the engine, the settings dialog) or as a status line (the speed).
TEST(RasLibrary, ABindingIsJudgedAfterEveryLookUpAndGivesItsReferenceBackOnce) {
    const AnsiString fatal =
        "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede "
        "Dial-Up esteja instalado e atualizado."_a;
    const AnsiString line =
        "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede "
        "Dial-Up esteja instalado."_a;
    struct {
        const char* what;
        bool service, quit;
        const char* hidden;
        bool bound, wanted;  // the wanted one was found
        const AnsiString* box;
        const AnsiString* status;
    } cases[] = {
        {"everything there", true, true, "", true, true, nullptr, nullptr},
        {"only a wanted one missing", true, true, "RASAPI32.DLL RasGetAutodialAddressA\n", true, false, nullptr,
         nullptr},
        {"no library", false, true, "", false, false, &fatal, nullptr},
        {"a needed one missing", true, true, "RASAPI32.DLL RasDialA\n", false, true, &fatal, nullptr},
        {"reported: no library, nothing said", false, false, "", false, false, nullptr, nullptr},
        {"reported: a needed one missing", true, false, "RASAPI32.DLL RasDialA\n", false, true, nullptr, &line},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoggedMachine m;
        Application->ResetTerminated();
        if (c.service) m.machine.installDialUpService();
        m.machine.writeMachineFile("hidden-exports.txt", c.hidden);
        // A reference of the test's own shows whether the binding still holds one.
        HMODULE held = c.service ? LoadLibraryA("RASAPI32.DLL") : nullptr;
        std::optional<TRasLibrary> ras(std::in_place);
        PFN_RasDialA dial = nullptr;
        PFN_RasGetAutodialAddressA autodial = nullptr;
        PFN_RasHangUpA hangUp = nullptr;
        ras->Need(dial, "RasDialA").Want(autodial, "RasGetAutodialAddressA").Need(hangUp, "RasHangUpA");
        EXPECT_EQ(c.quit ? ras->BoundOrQuit() : ras->BoundOrReport(m.log), c.bound);
        EXPECT_EQ(hangUp != nullptr, c.service);  // looked up after a missing one too
        EXPECT_EQ(autodial != nullptr, c.wanted);
        EXPECT_EQ(Application->Terminated(), c.box != nullptr);
        auto boxes = m.machine.boxes();
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(boxes[0].text, *c.box);
        }
        EXPECT_EQ(m.lines(), c.status ? std::vector<AnsiString>{*c.status} : std::vector<AnsiString>{});
        if (!held) continue;
        // Bound, the binding holds its reference until it goes; failed, it gave it back.
        EXPECT_TRUE(FreeLibrary(held));
        EXPECT_EQ(!ModuleFileName(held).empty(), c.bound);
        ras.reset();
        EXPECT_TRUE(ModuleFileName(held).empty());
    }
    Application->ResetTerminated();
}
