// A main window with a fake engine side attached, as each window test starts it: constructed
// (so shown, with the focus on START), its log then emptied.
#pragma once

#include "FakeEngineSide.h"
#include "QtPrinters.h"
#include "RTTYMain.h"
#include "TXMMR.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>();
        engine = &attachFakeEngineSide(*form->XMMR);
        xmm::attachCallObserver(form.get(), engine);
        // The window is the active one, as the operator's is: its shortcuts work.
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), 2000));
    }

    void TearDown() override { form.reset(); }

    // The log entries that start with prefix, in order.
    QStringList logOf(const QString &prefix) const
    {
        QStringList entries;
        for (const QString &entry : engine->log)
            if (entry.startsWith(prefix))
                entries << entry;
        return entries;
    }

    std::unique_ptr<TForm1> form;
    FakeEngineSide *engine = nullptr;
};
