#include "Internal.h"
#include "MessageBoxHelper.h"
#include "platform/BoxHelper.h"
#include "platform/Dialogs.h"
#include "platform/UiThread.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {
struct Button {
    const char* text;  // UTF-8
    int answer;
    QMessageBox::ButtonRole role;
};

std::vector<Button> buttonsOf(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{"OK", IDOK, QMessageBox::AcceptRole}, {"Cancelar", IDCANCEL, QMessageBox::RejectRole}};
    case MB_YESNO: return {{"Sim", IDYES, QMessageBox::YesRole}, {"Não", IDNO, QMessageBox::NoRole}};
    case MB_YESNOCANCEL:
        return {{"Sim", IDYES, QMessageBox::YesRole},
                {"Não", IDNO, QMessageBox::NoRole},
                {"Cancelar", IDCANCEL, QMessageBox::RejectRole}};
    default: return {{"OK", IDOK, QMessageBox::AcceptRole}};
    }
}

QMessageBox::Icon iconOf(unsigned flags) {
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}
}  // namespace

int classlib::ShowMessageBox(const MessageBoxRequest& r) {
    QMessageBox box(iconOf(r.flags), QString::fromStdString(AnsiToUtf8(r.caption)),
                    QString::fromStdString(AnsiToUtf8(r.text)));
    std::vector<std::pair<QAbstractButton*, int>> answers;
    for (const Button& b : buttonsOf(r.flags))
        answers.emplace_back(box.addButton(QString::fromUtf8(b.text), b.role), b.answer);
    box.setDefaultButton(static_cast<QPushButton*>(answers.front().first));
    box.exec();
    for (auto& [button, answer] : answers)
        if (box.clickedButton() == button) return answer;
    // Closed without a button (the application ending): the box's cancel.
    return (r.flags & MB_TYPEMASK) == MB_OK ? int(IDOK) : int(IDCANCEL);
}

int classlib::PresentMessageBox(const MessageBoxRequest& r) {
    return CallOnUiThread([&r] { return ShowMessageBox(r); });
}

int RunMessageBoxHelper(const std::vector<std::string>& args) {
    MessageBoxRequest request;
    if (!ParseBoxHelperArguments(args, request)) return 0;
    return classlib::ShowMessageBox(request);
}
