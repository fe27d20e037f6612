// The status log shows its lines in a memo, as the main window's status view does.
#include "support/app/AppCase.h"

#include "platform/qt/Memo.h"
#include "settings/Log.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <thread>

namespace {
using StatusViewCase = AppCase;

TEST_F(StatusViewCase, TheLogsLinesReachTheMemoInOrderFromAnyThread) {
    TForm form(nullptr);
    auto* memo = new TMemo(&form);
    memo->SetBounds(190, 159, 201, 81);
    memo->SetReadOnly(true);
    memo->SetScrollBars(ssVertical);
    memo->SetBorderStyle(bsNoBorder);
    form.SetBounds(0, 0, 514, 289);
    form.Show();
    TLogger log;
    log.SetView(memo->Lines());
    log.Add("Discando..."_a);
    std::thread dialUp([&] {
        for (int i = 0; i < 20; ++i) log.Add("Estado " + IntToStr(i) + ": conexão"_a);
    });
    dialUp.join();
    log.Add("Conectado.");
    ASSERT_TRUE(PumpUntil([&] { return memo->Lines()->Count() == 22; }));
    std::vector<AnsiString> lines = log.Lines();
    ASSERT_EQ(lines.size(), 22u);
    for (int i = 0; i < 22; ++i) EXPECT_EQ(memo->Lines()->Get(i), lines[static_cast<std::size_t>(i)]);
    EXPECT_EQ(memo->Lines()->Get(21), "Conectado.");
    auto* bar = static_cast<QPlainTextEdit*>(memo->Widget())->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());  // the newest line in view
    log.SetView(nullptr);
}
}  // namespace
