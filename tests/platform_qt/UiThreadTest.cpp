#include "QtCase.h"

#include "platform/Dialogs.h"
#include "platform/UiThread.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace {
using UiThreadCase = QtCase;

TEST_F(UiThreadCase, CallsQueuedFromAnotherThreadRunOnTheUiThreadInOrder) {
    const auto ui = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnUi = true;
    int syncResult = 0;
    std::thread worker([&] {
        EXPECT_FALSE(IsUiThread());
        for (int i = 0; i < 50; ++i)
            QueueOnUiThread([&, i] {
                allOnUi = allOnUi && std::this_thread::get_id() == ui;
                order.push_back(i);
            });
        // A blocking call waits its turn behind what was queued before it.
        syncResult = CallOnUiThread([&] {
            allOnUi = allOnUi && IsUiThread();
            return static_cast<int>(order.size()) + 1000;
        });
        QueueOnUiThread([&] { order.push_back(50); });
    });
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 51; }));
    worker.join();
    EXPECT_EQ(syncResult, 1050);
    EXPECT_TRUE(allOnUi);
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST_F(UiThreadCase, ErrorsGoBackToTheWaiterOrAreReported) {
    std::string caught;
    bool after = false;
    std::thread worker([&] {
        try {
            RunOnUiThread([] { throw Exception("sync failed"); });
        } catch (const Exception& e) {
            caught = e.Message;
        }
        QueueOnUiThread([] { throw std::runtime_error("queued failed"); });
        QueueOnUiThread([&] { after = true; });
    });
    ASSERT_TRUE(PumpUntil([&] { return after; }));
    worker.join();
    EXPECT_EQ(caught, "sync failed");
    ASSERT_EQ(machine.boxes().size(), 1u);
    EXPECT_EQ(machine.boxes()[0].text, "queued failed");
}

TEST_F(UiThreadCase, ProcessMessagesRunsWhatWaitsOnlyOnTheUiThread) {
    int ran = 0;
    QueueOnUiThread([&] { ++ran; });
    std::thread worker([] { Application->ProcessMessages(); });  // not its messages: nothing
    worker.join();
    EXPECT_EQ(ran, 0);
    Application->ProcessMessages();
    EXPECT_EQ(ran, 1);
}

// A question asked through the hand-over (the connected sequence's questions) opens a modal
// loop inside it; calls queued meanwhile still run, and so does a blocking call from
// elsewhere, which here answers the question.
TEST_F(UiThreadCase, CallsRunInsideAModalLoopOpenedByAnEarlierCall) {
    SetMessageBoxResponder(nullptr);
    CountingForm question(nullptr);
    std::vector<std::string> order;
    std::thread other;
    question.OnShow = [&](TObject*) {
        // The question is up, inside the hand-over's call: others queue and wait meanwhile.
        other = std::thread([&] {
            QueueOnUiThread([&] { order.push_back("queued"); });
            RunOnUiThread([&] {
                order.push_back("answered");
                question.SetModalResult(mrYes);
            });
        });
    };
    std::atomic<int> answer{0};
    std::thread dialThread([&] {
        answer = CallOnUiThread([&] { return question.ShowModal(); });
        QueueOnUiThread([] {});  // wakes the wait below
    });
    ASSERT_TRUE(PumpUntil([&] { return answer != 0; }));
    dialThread.join();
    other.join();
    EXPECT_EQ(answer, mrYes);
    EXPECT_EQ(order, (std::vector<std::string>{"queued", "answered"}));
}

// A blocking call from another thread is served while the UI thread sits in a modal box.
TEST_F(UiThreadCase, ABlockingCallIsServedInsideAModalBox) {
    SetMessageBoxResponder(nullptr);
    std::atomic<bool> served{false};
    std::thread worker;
    QueueOnUiThread([&] {
        // The box is up now; ask from elsewhere, then answer the box once served.
        worker = std::thread([&] {
            RunOnUiThread([&] { served = true; });
            QueueOnUiThread([] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box) box->buttons().front()->click();
            });
        });
    });
    int answer = MessageBox("Espere", "Vyn", MB_OK);
    worker.join();
    EXPECT_TRUE(served);
    EXPECT_EQ(answer, IDOK);
}
}  // namespace
