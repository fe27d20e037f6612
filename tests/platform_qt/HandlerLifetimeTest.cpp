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
    void run(const std::function<void()>& handler) {
        inHandler = true;
        ++handled;
        handler();
        inHandler = false;
    }
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
        {"frees the menu",
         [](TPopupMenu*& menu) {
             delete menu;
             menu = nullptr;
             boundedWait();
         }},
        {"opens the menu again",
         [](TPopupMenu*& menu) {
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
        item->OnClick = [&, watch](TObject*) { watch->run([&] { row.handler(menu); }); };

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

// A control of the kind on `form`, where a click reaches it.
template <class C>
C* placed(TForm* form) {
    auto* c = new C(form);
    c->SetBounds(10, 10, 160, 80);
    return c;
}

template <class C>
C* clicked(C* control, TNotifyEvent handler) {
    control->OnClick = std::move(handler);
    return control;
}

TEST_F(HandlerLifetimeCase, AWindowFreedByTheHandlerOfOneOfItsControlsGoesAfterTheDelivery) {
    struct Row {
        const char* what;
        // Makes the control with `handler` on its event; `drive` is the user's input to it.
        std::function<TControl*(TForm* form, TNotifyEvent handler)> make;
        std::function<void(QWidget* control)> drive;
    };
    auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); };
    auto markClick = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2)); };
    auto radioClick = [markClick](QWidget* w) { markClick(w->findChildren<QRadioButton*>().at(1)); };
    const Row rows[] = {
        {"button", [](TForm* f, TNotifyEvent h) -> TControl* { return clicked(placed<TButton>(f), h); }, click},
        {"check box", [](TForm* f, TNotifyEvent h) -> TControl* { return clicked(placed<TCheckBox>(f), h); },
         markClick},
        {"label", [](TForm* f, TNotifyEvent h) -> TControl* { return clicked(placed<TLabel>(f), h); }, click},
        {"image", [](TForm* f, TNotifyEvent h) -> TControl* { return clicked(placed<TImage>(f), h); }, click},
        {"radio group",
         [](TForm* f, TNotifyEvent h) -> TControl* {
             auto* g = clicked(placed<TRadioGroup>(f), h);
             g->Items()->Add("Tom");
             g->Items()->Add("Pulso");
             return g;
         },
         radioClick},
        {"combo box",
         [](TForm* f, TNotifyEvent h) -> TControl* {
             auto* c = placed<TComboBox>(f);
             c->SetStyle(csDropDownList);
             c->Items()->Add("Tom");
             c->Items()->Add("Pulso");
             c->OnChange = h;
             return c;
         },
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_Down); }},
        {"edit",
         [](TForm* f, TNotifyEvent h) -> TControl* {
             auto* e = placed<TEdit>(f);
             e->OnChange = h;
             return e;
         },
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }},
        {"the form's own mouse",
         [](TForm* f, TNotifyEvent h) -> TControl* {
             f->OnMouseUp = [h](TObject* s, TMouseButton, TShiftState, int, int) { h(s); };
             return f;
         },
         click},
    };
    for (const Row& row : rows) {
        for (bool nestedLoop : {false, true}) {
            SCOPED_TRACE(std::string(row.what) + (nestedLoop ? ", after a nested loop" : ""));
            TForm* form = new CountingForm(nullptr);
            form->SetBounds(0, 0, 200, 120);
            auto watch = std::make_shared<Watch>();
            TControl* made = row.make(form, [&, watch](TObject*) {
                watch->run([&] {
                    if (nestedLoop) boundedWait();
                    form->Free();  // the form closes itself for good
                    form = nullptr;
                });
            });
            // Never painted: Qt strokes a button's frame on its thread pool, whose locks the
            // thread checker cannot see. The input reaches the widgets all the same.
            QPointer<QWidget> window(form->Widget()), control(made->Widget());
            watchFreeing(watch, window);
            watchFreeing(watch, control);
            row.drive(control);

            EXPECT_EQ(watch->handled, 1);
            EXPECT_FALSE(watch->freedInHandler);
            EXPECT_EQ(form, nullptr);
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
        watch->run([&] {
            group->Items()->Clear();
            group->Items()->Add("Outro");
        });
    };
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
}  // namespace
