// The application's standard error box: an error thrown in a handler is shown with its message
// and ends that handler only; the program goes on.
#include "ErrorBox.h"

#include "WindowFixture.h"
#include "hostlink/StatusText.h"

#include <QMessageBox>
#include <QTimer>

class ErrorBoxTest : public WindowTest {};

namespace {
// Closes the next modal box with OK and reports its text.
void answerNextBox(QString *text)
{
    QTimer::singleShot(0, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *text = box->text();
        box->accept();
    });
}
} // namespace

TEST_F(ErrorBoxTest, AnErrorEndsItsHandlerAndIsShownWithItsMessage)
{
    QString shown;
    bool after = false;
    answerNextBox(&shown);
    const bool completed = form->runHandler([&] {
        throw ConversionError("'x' is not a valid integer value");
        after = true;
    });
    EXPECT_FALSE(completed);
    EXPECT_FALSE(after);
    EXPECT_EQ(shown, "'x' is not a valid integer value");

    // The window goes on: the next handler runs normally.
    form->Button29->click();
    EXPECT_EQ(form->Label13->text(), "2125 Mark");
}

TEST_F(ErrorBoxTest, AHandlerWithoutErrorShowsNothing)
{
    EXPECT_TRUE(form->runHandler([] {}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
