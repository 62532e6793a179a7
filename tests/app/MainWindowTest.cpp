// The main window as it stands after start-up: every widget under its name with its text,
// visibility and tooltip, the notebook, the status bar, the focus and the window's geometry.
#include "TXMMBtn.h"
#include "TXMMLvl.h"
#include "TXMMSpec.h"
#include "TXMMWater.h"
#include "TXMMXY.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>

namespace {

struct Expected {
    const char *name;
    const char *className;
    const char *text; // caption or text; nullptr: not checked
    bool shown;
    const char *toolTip;
};

// Every widget the operator or the logic works with, as the window is designed.
const Expected widgets[] = {
    {"XMMBtn12", "TXMMBtn", "TX", true, ""},
    {"XMMBtn13", "TXMMBtn", "TX OFF", true, ""},
    {"XMMBtn11", "TXMMBtn", "UOS", true, "UOS"},
    {"XMMBtn14", "TXMMBtn", "FIG", true, ""},
    {"XMMBtn4", "TXMMBtn", "REV", true, "Reverse (RX only)"},
    {"XMMBtn7", "TXMMBtn", "LMS", true, ""},
    {"XMMBtn1", "TXMMBtn", "ATC", true, "Automatic Threshold Control"},
    {"XMMBtn6", "TXMMBtn", "NET", true, "XMT freq follows RX freq (AFSK)"},
    {"XMMBtn5", "TXMMBtn", "BPF", true, "TX bandpass filter (only AFSK)"},
    {"XMMBtn2", "TXMMBtn", "AFC ON", true, "Automatic Frequency Control"},
    {"XMMBtn3", "TXMMBtn", "SQL", true, "Squelch ON/OFF"},
    {"XMMBtn9", "TXMMBtn", "NOT", true, "Notch / LMS"},
    {"XMMBtn15", "TXMMBtn", "HAM", true, "Sets Default Parameters for HAM band RTTY"},
    {"Spectram", "TXMMSpec", nullptr, true, ""},
    {"WaterFall", "TXMMWater", nullptr, true, ""},
    {"XYScope", "TXMMXY", nullptr, true, ""},
    {"Level", "TXMMLvl", nullptr, true, ""},
    {"Text", "QPlainTextEdit", "", true, ""},
    {"Transmit", "QPlainTextEdit", "", true, ""},
    {"Edit2", "QLineEdit", "STATION", true, ""},
    {"Edit3", "QLineEdit", "NAME", true, ""},
    {"Button3", "QPushButton", "START", true, ""},
    {"Button5", "QPushButton", "Stop", true, ""},
    {"Button8", "QPushButton", "RX ", true, ""},
    {"Button9", "QPushButton", "Switch to TX", true, ""},
    {"Button10", "QPushButton", "Clear TX Buffer", true, ""},
    {"Button14", "QPushButton", "Clear", true, ""},
    {"Button6", "QPushButton", "Clear", true, ""},
    {"Button16", "QPushButton", "BTU", true, ""},
    {"Button19", "QPushButton", "DE", true, ""},
    {"Button22", "QPushButton", "KN", true, ""},
    {"Button23", "QPushButton", "ANS", true, ""},
    {"SpinEdit1", "QSpinBox", "0", true, ""},
    {"Button17", "QPushButton", "SQL Level", true, "SET SQL Level"},
    {"Button15", "QPushButton", "FSK/Filter", true, ""},
    {"Button20", "QPushButton", "FSK Monitor", true, "FSK Monitoring Defaults"},
    {"Button21", "QPushButton", "AFSK Monitor", true, "AFSK Monitor Defaults"},
    {"Label14", "QLabel", "Must press START to begin", true, ""},
    {"Label16", "QLabel",
     "This program is in the early stages of development. You are welcome to play with it.", true,
     ""},
    {"Label3", "QLabel", "14.085", true, ""},
    {"Label4", "QLabel", " REDUCE AUDIO", false, ""},
    {"Label7", "QLabel", "Too Much Power", false, ""},
    {"Label11", "QLabel", "|     | ", true, ""},
    {"Label2", "QLabel", "Label2", false, ""},
    // With no host running, start-up has already decoded the items' empty texts into these.
    {"Edit6", "QLineEdit", "", false, ""},
    {"Edit7", "QLineEdit", "", false, ""},
    {"Edit1", "QLineEdit", "Edit1", false, ""},
    {"Label5", "QLabel", "Label5", false, ""},
    {"Label6", "QLabel", "Label6", false, ""},
    {"SpinEdit3", "QSpinBox", "0", false, ""},
    {"SpinEdit4", "QSpinBox", "0", false, ""},
    {"StringGrid1", "QTableWidget", nullptr, false, ""},
    {"label15", "QLabel", "FSK", true, ""},
    {"Label8", "QLabel", "170", true, ""},
    {"CheckBox1", "QCheckBox", "PTT ON", true, "Check turns PTT On"},
    {"Label10", "QLabel",
     "Use the TOLM Digital panel or the radio controls to set filters, frequency  etc.", true, ""},
    {"Image2", "QLabel", nullptr, true, ""},
    {"Memo1", "QPlainTextEdit", "", true, ""},
    {"Memo2", "QPlainTextEdit", "", true, ""},
    {"Memo3", "QPlainTextEdit", "", true, ""},
    {"Memo4", "QPlainTextEdit", "", true, ""},
    {"Edit4", "QLineEdit", "", true, ""},
    {"Button26", "QPushButton", ">", true, ""},
    {"Button12", "QPushButton", "Request Paramaters 0", true, ""},
    {"Button13", "QPushButton", "Request Parameters", true, ""},
    {"Memo5", "QPlainTextEdit", "", true, ""},
    {"Label9", "QLabel", "Logger is not yet available.  Use TOLMLog for the moment.", true, ""},
    {"Button27", "QPushButton", "BAUD 75", true, "Set baud to 75"},
    {"Button28", "QPushButton", "BAUD 45.", true, "Set baud to 45"},
    {"Button29", "QPushButton", "ovaHAM", true, ""},
    {"Label12", "QLabel", "-", true, ""},
    {"Label13", "QLabel", "-", true, ""},
    {"Button7", "QPushButton", "Notch", true, "Set RX Notch value 300 to 2500 Hz"},
    {"SpinEdit5", "QSpinBox", "500", true, "Notch freq (0 - 2500 Hz)"},
    {"Button11", "QPushButton", "Set Up Ports etc", true,
     "Adjust COM ports, RTTY Engine setting etc."},
    {"Button30", "QPushButton", "RunMMTTY", true, "Run the original MMTTY program"},
    {"Label18", "QLabel", "Press the START button.", true, ""},
    {"Label19", "QLabel",
     "Most controls behave as similar control in MMTTY.  For the moment, read the MMTTY Help file "
     "included in the MMTTY download.",
     true, ""},
    {"Memo6", "QPlainTextEdit", nullptr, true, ""},
};

QString textOf(QWidget *widget)
{
    if (auto *w = qobject_cast<TXMMBtn *>(widget))
        return w->Caption();
    if (auto *w = qobject_cast<QLabel *>(widget))
        return w->text();
    if (auto *w = qobject_cast<QAbstractButton *>(widget))
        return w->text();
    if (auto *w = qobject_cast<QLineEdit *>(widget))
        return w->text();
    if (auto *w = qobject_cast<QPlainTextEdit *>(widget))
        return w->toPlainText();
    if (auto *w = qobject_cast<QSpinBox *>(widget))
        return QString::number(w->value());
    return {};
}

} // namespace

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, EveryWidgetHasItsNameTextVisibilityAndTooltip)
{
    for (const Expected &e : widgets) {
        SCOPED_TRACE(e.name);
        auto *widget = form->findChild<QWidget *>(QString::fromLatin1(e.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), e.className);
        if (e.text) {
            EXPECT_EQ(textOf(widget), QString::fromLatin1(e.text));
        }
        EXPECT_EQ(!widget->isHidden(), e.shown);
        EXPECT_EQ(widget->toolTip(), QString::fromLatin1(e.toolTip));
    }
}

TEST_F(MainWindowTest, OnlyListedWidgetsCarryTooltips)
{
    QStringList listed;
    for (const Expected &e : widgets)
        if (*e.toolTip)
            listed << QString::fromLatin1(e.name);
    const auto all = form->findChildren<QWidget *>();
    for (QWidget *widget : all) {
        if (!widget->toolTip().isEmpty()) {
            EXPECT_TRUE(listed.contains(widget->objectName()))
                << widget->objectName().toStdString();
        }
    }
    EXPECT_TRUE(form->toolTip().isEmpty());
}

TEST_F(MainWindowTest, WindowCaptionSizeAndPlace)
{
    EXPECT_EQ(form->windowTitle(), "TOLM FSK 1.0");
    EXPECT_EQ(form->pos(), QPoint(161, 38));
    // What the operator sees at the designed 744 x 598: every widget shown whole, none cut by
    // the window's edges, and the status bar along the bottom edge.
    const QImage shown = form->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(744, 598));
    for (const QWidget *widget : form->findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->isWindow())
            continue;
        const QRect area(widget->mapTo(form.get(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(form->rect().contains(area))
            << widget->objectName().toStdString() << " reaches beyond the window";
    }
    EXPECT_EQ(form->StatusBar1->mapTo(form.get(), QPoint(0, 0)).y() + form->StatusBar1->height(),
              form->height());
    EXPECT_EQ(form->font().family(), "MS Sans Serif");
    EXPECT_EQ(form->font().pointSize(), 8);
    EXPECT_EQ(form->Text->font().family(), "Courier New");
    EXPECT_EQ(form->Text->font().pointSize(), 10);
    EXPECT_EQ(form->Button3->font().pointSize(), 12);
    EXPECT_EQ(form->Button15->font().pointSize(), 8);
    EXPECT_EQ(form->Text->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_EQ(form->Transmit->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_EQ(form->Image2->size(), QSize(210, 49));
    EXPECT_FALSE(form->Image2->pixmap().isNull());
    EXPECT_FALSE(form->Memo6->toPlainText().isEmpty());
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->SpinEdit1->minimum(), 0);
    EXPECT_EQ(form->SpinEdit1->maximum(), 10);
}

TEST_F(MainWindowTest, NotebookHasSevenPagesWithRttySettingsShown)
{
    const QStringList titles = {"TS2000 Settings", "Frequencies",   "Messages",   "Utilities",
                                "Logger",          "RTTY Settings", "Simple Help"};
    const QStringList names = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4",
                               "TabSheet5", "TabSheet6", "TabSheet7"};
    ASSERT_EQ(form->PageControl1->count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(form->PageControl1->tabText(i), titles[i]);
        EXPECT_EQ(form->PageControl1->widget(i)->objectName(), names[i]);
    }
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet6);
    // The holders of the radio's state sit on the first page.
    for (QWidget *w :
         {static_cast<QWidget *>(form->Edit1), static_cast<QWidget *>(form->Label5),
          static_cast<QWidget *>(form->SpinEdit4), static_cast<QWidget *>(form->label15)}) {
        EXPECT_TRUE(form->TabSheet1->isAncestorOf(w)) << w->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, StatusBarHasFivePanels)
{
    const int widths[] = {250, 80, 50, 50, 50};
    const char *texts[] = {"Status", " Version 0.9b", "", "", ""};
    for (int i = 0; i < TForm1::StatusPanelCount; ++i) {
        EXPECT_EQ(form->statusPanel(i)->width(), widths[i]);
        EXPECT_EQ(form->statusPanelText(i), texts[i]);
    }
    EXPECT_TRUE(form->statusPanel(1)->alignment() & Qt::AlignHCenter);
}

TEST_F(MainWindowTest, StartUpLeavesTheFocusOnStart)
{
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Button3->isVisible());
    EXPECT_EQ(form->focusWidget(), form->Button3);
    EXPECT_EQ(Form1, form.get());
}

TEST_F(MainWindowTest, ResizingKeepsWidgetsInPlaceAndTheStatusBarAtTheBottom)
{
    QMap<QString, QRect> before;
    for (const Expected &e : widgets)
        before[e.name] = form->findChild<QWidget *>(QString::fromLatin1(e.name))->geometry();
    for (QSize size : {QSize(900, 760), QSize(600, 500)}) {
        form->resize(size);
        QCoreApplication::processEvents();
        for (const Expected &e : widgets)
            EXPECT_EQ(form->findChild<QWidget *>(QString::fromLatin1(e.name))->geometry(),
                      before[e.name])
                << e.name;
        EXPECT_EQ(form->StatusBar1->geometry().bottom(), form->height() - 1);
    }
}

TEST_F(MainWindowTest, NoWidgetOfTheWindowOverlapsAnotherOrLeavesItsParent)
{
    // The shown widgets of one parent, pairwise: none may cover another.
    const auto all = form->centralWidget()->findChildren<QWidget *>();
    QMap<QWidget *, QList<QWidget *>> byParent;
    for (QWidget *w : all)
        if (!w->isHidden() && !w->objectName().isEmpty() && !w->objectName().startsWith("qt_") &&
            w->parentWidget() &&
            (w->parentWidget() == form->centralWidget() ||
             w->parentWidget()->parentWidget() ==
                 form->PageControl1->findChild<QWidget *>("qt_tabwidget_stackedwidget")))
            byParent[w->parentWidget()] << w;
    ASSERT_FALSE(byParent.isEmpty());
    for (auto it = byParent.cbegin(); it != byParent.cend(); ++it) {
        const QList<QWidget *> &siblings = it.value();
        for (int i = 0; i < siblings.size(); ++i) {
            // Pages not yet shown have no size of their own: they get the shown page's.
            const QRect area = it.key() == form->centralWidget()
                                   ? it.key()->rect()
                                   : form->PageControl1->currentWidget()->rect();
            const QRect place = siblings[i]->geometry();
            EXPECT_TRUE(area.contains(place))
                << siblings[i]->objectName().toStdString() << " at " << place.right() << ","
                << place.bottom() << " in " << area.width() << "x" << area.height();
            for (int j = i + 1; j < siblings.size(); ++j)
                EXPECT_FALSE(siblings[i]->geometry().intersects(siblings[j]->geometry()))
                    << siblings[i]->objectName().toStdString() << " / "
                    << siblings[j]->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, CaptionsFitTheirButtons)
{
    const auto buttons = form->findChildren<QPushButton *>();
    for (QPushButton *b : buttons) {
        if (b->objectName().isEmpty() || b->objectName().startsWith("qt_"))
            continue;
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width())
            << b->objectName().toStdString();
    }
    const auto toggles = form->findChildren<TXMMBtn *>();
    for (TXMMBtn *b : toggles)
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->Caption()) + 6, b->width())
            << b->objectName().toStdString();
    for (QLabel *label : {form->Label3, form->Label4, form->Label7, form->Label9, form->Label18}) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString();
    }
}

TEST(MainWindowDesign, HiddenHoldersStartFromTheirDesignedTexts)
{
    QMainWindow window;
    Ui_TForm1 design;
    design.setupUi(&window);
    EXPECT_EQ(design.Edit6->text(), "Edit6");
    EXPECT_EQ(design.Edit7->text(), "Edit7");
    EXPECT_EQ(design.Edit1->text(), "Edit1");
    EXPECT_EQ(design.Label2->text(), "Label2");
    EXPECT_EQ(design.StringGrid1->rowCount(), 1);
    EXPECT_GE(design.StringGrid1->columnCount(), 6);
}
