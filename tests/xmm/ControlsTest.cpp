// The engine library's controls on their own: the toggle button and the observation of calls.
#include "CallObserver.h"
#include "TXMMBtn.h"
#include "TXMMSpec.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Recorder : xmm::CallObserver {
    QStringList entries;
    void controlCalled(const QString &entry) override { entries << entry; }
};
} // namespace

TEST(TXMMBtn, ALeftClickChangesStateBeforeRaisingTheEvent)
{
    QWidget parent;
    auto *button = new TXMMBtn(&parent);
    button->setGeometry(0, 0, 44, 22);
    parent.show();
    QList<bool> seen;
    QObject::connect(button, &TXMMBtn::OnLButtonClick, [&] { seen << button->State(); });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(seen, QList<bool>({true, false}));
    QTest::mouseClick(button, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(seen.size(), 2);
    EXPECT_FALSE(button->State());
}

TEST(TXMMBtn, WritesAreObservedButTheOperatorsClickIsNot)
{
    QWidget parent;
    auto *button = new TXMMBtn(&parent);
    button->setObjectName("XMMBtn9");
    button->setGeometry(0, 0, 44, 22);
    parent.show();
    Recorder recorder;
    xmm::attachCallObserver(&parent, &recorder);
    button->setState(true);
    button->setCaption("NOT");
    button->setVisible(false);
    button->setVisible(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(recorder.entries,
              QStringList({"XMMBtn9.State := true", R"(XMMBtn9.Caption := "NOT")",
                           "XMMBtn9.Visible := false", "XMMBtn9.Visible := true"}));
    xmm::attachCallObserver(&parent, nullptr);
    button->setState(true);
    EXPECT_EQ(recorder.entries.size(), 4);
}
