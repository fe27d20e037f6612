// A handler may run a nested event loop (a bounded wait, a question) or free the very window
// or menu it came from: the Qt object whose event is being delivered outlives the delivery.
// Real input (QTest) drives each case, so Qt's own handler is on the stack as it is for a user.
#include "QtCase.h"

#include "platform/Dialogs.h"
#include "platform/UiThread.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/ExtCtrls.h"
#include "platform/qt/Menus.h"
#include "platform/qt/StdCtrls.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {
using HandlerLifetimeCase = QtCase;

// Whether an object was destroyed while a handler was still running.
struct Watch {
    bool inHandler = false;
    bool freedInHandler = false;
    int handled = 0;
};

void watchFreeing(const std::shared_ptr<Watch>& watch, QObject* object) {
    QObject::connect(object, &QObject::destroyed, [watch] {
        if (watch->inHandler) watch->freedInHandler = true;
    });
}

// What the tray menu's handlers do: wait a while for the service serving the queue, or ask.
void boundedWait() {
    bool arrived = false;
    QueueOnUiThread([&] { arrived = true; });
    while (!arrived) Application->ProcessMessages();
}

void question() {
    SetMessageBoxResponder([](const MessageBoxRequest&) {
        // The dialog's own loop.
        for (int i = 0; i < 3; ++i) Application->ProcessMessages();
        return int(IDYES);
    });
    MessageBox("Deseja desconectar?", "Vyn", MB_YESNO);
    SetMessageBoxResponder(nullptr);
}

TEST_F(HandlerLifetimeCase, AMenuOutlivesTheHandlerOfItsItemWhateverTheHandlerDoes) {
    struct Row {
        const char* what;
        std::function<void(TPopupMenu*& menu)> handler;
    };
    const Row rows[] = {
        {"waits, serving the queue", [](TPopupMenu*&) { boundedWait(); }},
        {"asks a question", [](TPopupMenu*&) { question(); }},
        {"frees the menu", [](TPopupMenu*& menu) {
             delete menu;
             menu = nullptr;
             boundedWait();
         }},
        {"opens the menu again", [](TPopupMenu*& menu) {
             menu->Popup(40, 40);
             boundedWait();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto owner = std::make_unique<TComponent>(nullptr);
        auto* menu = new TPopupMenu(owner.get());
        auto* item = new TMenuItem(owner.get());
        item->SetName("Desconectar2");
        item->Caption = "Desconectar";
        menu->Add(item);
        auto watch = std::make_shared<Watch>();
        item->OnClick = [&, watch](TObject*) {
            watch->inHandler = true;
            ++watch->handled;
            row.handler(menu);
            watch->inHandler = false;
        };

        menu->Popup(10, 10);
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(shown, nullptr);
        QPointer<QMenu> alive(shown);
        watchFreeing(watch, shown);
        QAction* action = shown->actions().at(0);
        QTest::mouseClick(shown, Qt::LeftButton, {}, shown->actionGeometry(action).center());

        EXPECT_EQ(watch->handled, 1);
        EXPECT_FALSE(watch->freedInHandler);
        if (menu && row.what == std::string("waits, serving the queue")) {
            // The menu stays the TPopupMenu's while it lives, closed.
            Application->ProcessMessages();
            EXPECT_TRUE(alive);
            EXPECT_FALSE(shown->isVisible());
        }
        if (QWidget* again = QApplication::activePopupWidget()) again->close();
        owner.reset();
        // Gone once nothing of it is on the stack, whoever freed it.
        Application->ProcessMessages();
        EXPECT_FALSE(alive);
    }
}

TEST_F(HandlerLifetimeCase, AWindowFreedByTheHandlerOfOneOfItsControlsGoesAfterTheDelivery) {
    struct Row {
        const char* what;
        // Makes the control, hooks `handler` to its event, and returns the widget to drive.
        std::function<QWidget*(TForm* form, std::function<void()> handler)> make;
        std::function<void(QWidget* target)> drive;
    };
    auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); };
    // On the mark of a check box or radio button.
    auto edgeClick = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2)); };
    const Row rows[] = {
        {"button", [](TForm* f, std::function<void()> h) {
             auto* b = new TButton(f);
             b->SetBounds(10, 10, 80, 25);
             b->OnClick = [h](TObject*) { h(); };
             return b->Widget();
         }, click},
        {"check box", [](TForm* f, std::function<void()> h) {
             auto* c = new TCheckBox(f);
             c->SetBounds(10, 10, 80, 25);
             c->OnClick = [h](TObject*) { h(); };
             return c->Widget();
         }, edgeClick},
        {"label", [](TForm* f, std::function<void()> h) {
             auto* l = new TLabel(f);
             l->SetBounds(10, 10, 80, 25);
             l->SetCaption("Desconectar");
             l->OnClick = [h](TObject*) { h(); };
             return l->Widget();
         }, click},
        {"image", [](TForm* f, std::function<void()> h) {
             auto* i = new TImage(f);
             i->SetBounds(10, 10, 80, 25);
             i->OnClick = [h](TObject*) { h(); };
             return i->Widget();
         }, click},
        {"radio group", [](TForm* f, std::function<void()> h) {
             auto* g = new TRadioGroup(f);
             g->SetBounds(10, 10, 160, 80);
             g->Items()->Add("Tom");
             g->Items()->Add("Pulso");
             g->OnClick = [h](TObject*) { h(); };
             return static_cast<QWidget*>(g->Widget()->findChildren<QRadioButton*>().at(1));
         }, edgeClick},
        {"combo box", [](TForm* f, std::function<void()> h) {
             auto* c = new TComboBox(f);
             c->SetStyle(csDropDownList);
             c->SetBounds(10, 10, 120, 25);
             c->Items()->Add("Modem Padr\xe3o");
             c->Items()->Add("Conexant");
             c->OnChange = [h](TObject*) { h(); };
             return c->Widget();
         }, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Down); }},
        {"edit", [](TForm* f, std::function<void()> h) {
             auto* e = new TEdit(f);
             e->SetBounds(10, 10, 120, 25);
             e->OnChange = [h](TObject*) { h(); };
             return e->Widget();
         }, [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }},
        {"the form's own mouse", [](TForm* f, std::function<void()> h) {
             f->OnMouseUp = [h](TObject*, TMouseButton, TShiftState, int, int) { h(); };
             return f->Widget();
         }, click},
    };
    for (const Row& row : rows) {
        for (bool nestedLoop : {false, true}) {
            SCOPED_TRACE(std::string(row.what) + (nestedLoop ? ", after a nested loop" : ""));
            auto* form = new CountingForm(nullptr);
            form->SetBounds(0, 0, 200, 120);
            auto watch = std::make_shared<Watch>();
            QWidget* target = row.make(form, [&, watch] {
                watch->inHandler = true;
                ++watch->handled;
                if (nestedLoop) boundedWait();
                // The form closes itself for good.
                if (form) form->Free();
                form = nullptr;
                watch->inHandler = false;
            });
            form->SetVisible(true);
            QPointer<QWidget> window(form->Widget()), control(target);
            watchFreeing(watch, window);
            watchFreeing(watch, target);
            row.drive(target);

            EXPECT_EQ(watch->handled, 1);
            EXPECT_FALSE(watch->freedInHandler);
            EXPECT_EQ(form, nullptr);
            EXPECT_TRUE(!window || !window->isVisible());  // gone from the screen at once
            Application->ProcessMessages();
            EXPECT_FALSE(window);
            EXPECT_FALSE(control);
            delete form;
        }
    }
}

TEST_F(HandlerLifetimeCase, ARadioGroupWhoseHandlerReplacesItsItemsKeepsTheClickedButtonUntilTheClickEnds) {
    CountingForm form(nullptr);
    form.SetBounds(0, 0, 200, 120);
    auto* group = new TRadioGroup(&form);
    group->SetBounds(10, 10, 160, 80);
    group->Items()->Add("Tom");
    group->Items()->Add("Pulso");
    auto watch = std::make_shared<Watch>();
    group->OnClick = [&, watch](TObject*) {
        watch->inHandler = true;
        ++watch->handled;
        group->Items()->Clear();
        group->Items()->Add("Outro");
        watch->inHandler = false;
    };
    form.SetVisible(true);
    QRadioButton* clicked = group->Widget()->findChildren<QRadioButton*>().at(1);
    QPointer<QRadioButton> alive(clicked);
    watchFreeing(watch, clicked);
    QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(5, clicked->height() / 2));
    EXPECT_EQ(watch->handled, 1);
    EXPECT_FALSE(watch->freedInHandler);
    Application->ProcessMessages();
    EXPECT_FALSE(alive);
    // The new item is the group's only button.
    QList<QRadioButton*> now = group->Widget()->findChildren<QRadioButton*>();
    ASSERT_EQ(now.size(), 1);
    EXPECT_EQ(now[0]->text().toStdString(), "Outro");
}
} // namespace
