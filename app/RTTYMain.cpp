#include "RTTYMain.h"

#include "Banner.h"
#include "ErrorBox.h"
#include "HelpText.h"
#include "OutsideDestroyWatch.h"
#include "TXMMR.h"
#include "TXMMT.h"
#include "hostlink/DdeClientConv.h"

#include <QCoreApplication>
#include <QLabel>
#include <QShowEvent>

TForm1 *Form1 = nullptr;

TForm1::TForm1(QWidget *parent, const std::function<void(TForm1 &)> &beforeCreate)
    : QMainWindow(parent), XMMR(new TXMMR(this)), XMMT1(new TXMMT(this)),
      DdeClientConv1(std::make_unique<TDdeClientConv>()),
      DdeClientItem1(std::make_unique<TDdeClientItem>(DdeClientConv1.get())),
      DdeClientItem2(std::make_unique<TDdeClientItem>(DdeClientConv1.get()))
{
    Form1 = this;
    XMMR->setObjectName(QStringLiteral("XMMR"));
    XMMT1->setObjectName(QStringLiteral("XMMT1"));
    setupUi(this);
    // The designed outer size and place of the window.
    resize(744, 598);
    move(161, 38);
    createStatusPanels();
    Image2->setPixmap(drawBanner(Image2->size()));
    Memo6->setPlainText(operatingHelpText());

    connectEngineStart();
    connectMenus();
    connectTuningDisplays();
    connectDemodulatorSwitches();
    connectReceiveWindow();
    connectTransmitPath();
    connectMacros();
    connectHostLink();
    connectStatusDecoding();
    // A window destroyed from outside ends the program as Exit does, not left running unseen.
    destroyWatch_ = std::make_unique<OutsideDestroyWatch>(*this, [this] {
        runHandler([this] { Exit2Click(); });
        QCoreApplication::quit();
    });

    if (beforeCreate)
        beforeCreate(*this);
    FormCreate();
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
    // The conversation closes as the window's parts go: nothing of that is the host's doing.
    if (DdeClientConv1)
        DdeClientConv1->disconnect(this);
}

void TForm1::createStatusPanels()
{
    static constexpr std::array<int, StatusPanelCount> widths = {250, 80, 50, 50, 50};
    static const std::array<const char *, StatusPanelCount> texts = {"Status", " Version 0.9b", "",
                                                                     "", ""};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto *panel = new QLabel(QString::fromLatin1(texts[size_t(i)]), StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[size_t(i)]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 1)
            panel->setAlignment(Qt::AlignCenter);
        StatusBar1->addWidget(panel);
        statusPanels_[size_t(i)] = panel;
        statusTexts_[size_t(i)] = panel->text();
    }
}

QString TForm1::statusPanelText(int panel) const
{
    return statusTexts_.at(size_t(panel));
}

// A text wider than its panel is cut with an ellipsis, and shown whole as the panel's tooltip.
void TForm1::setStatusPanelText(int panel, const QString &text)
{
    QLabel *label = statusPanels_.at(size_t(panel));
    statusTexts_.at(size_t(panel)) = text;
    const int room = label->contentsRect().width() - 2 * label->margin() - 4;
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

bool TForm1::runHandler(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        showApplicationError(this, QString::fromLocal8Bit(error.what()));
        return false;
    }
}

// The create handler: shows the window, which runs the show handler at once, then hands the
// focus to START. An error in the show handler ends the create handler there.
void TForm1::FormCreate()
{
    show();
    if (!showCompleted_)
        return;
    Button3->setVisible(true);
    Button3->setFocus();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        showCompleted_ = runHandler([this] { FormShow(); });
}

// Typed characters go to the focused widget only.
void TForm1::FormKeyPress(char &) {}
