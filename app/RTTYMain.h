// TForm1, the terminal's one main window. Its widget set comes from RTTYMain.ui (each widget a
// member under its designer name); its handlers are defined in the folder of the subsystem they
// belong to, and each subsystem makes its own connections in one function.
#pragma once

#include "ui_RTTYMain.h"

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class TXMMR;
class TXMMT;

class TForm1 : public QMainWindow, public Ui_TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The engine link and the TCP link, owned by the window and not shown.
    TXMMR *XMMR;
    TXMMT *XMMT1;

    // Status-bar panels 0..4.
    static constexpr int StatusPanelCount = 5;
    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString &text);
    QLabel *statusPanel(int panel) const { return statusPanels_.at(size_t(panel)); }

    // Runs a handler; an error it throws is shown in the application's error box and ends
    // that handler only. False when the handler ended in an error.
    bool runHandler(const std::function<void()> &handler);

    // --- start-up and main window ---
    void FormCreate();
    void FormShow();
    void FormKeyPress(char &Key);

    // --- engine start and connection ---
    void Button3Click();
    void Reconnect1Click();
    void Invoke1Click();
    void Button30Click();
    void Button29Click();
    void SetUpEngine1Click();
    void Button11Click();
    void XMMRConnected();
    void XMMRDisconnected(std::int16_t status);
    void XMMRPttEvent(std::int16_t btx);
    void XMMT1Connected(std::int16_t nIndex);
    void XMMT1Disconnected(std::int16_t nIndex);
    void XMMT1GetProfileName(std::int16_t nIndex, std::int16_t nProfile, QString *pStr);
    void XMMT1NotifyNMMT(std::int16_t nIndex, const std::int32_t *pNMMT);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Connects signal of sender to a handler of the window, through runHandler.
    template <typename Sender, typename Signal, typename... Args>
    void bind(Sender *sender, Signal signal, void (TForm1::*handler)(Args...))
    {
        connect(sender, signal, this,
                [this, handler](Args... args) { runHandler([&] { (this->*handler)(args...); }); });
    }

    void createStatusPanels();
    void connectEngineStart();
    void restartEngine(const char *commandLine);

    std::array<QLabel *, StatusPanelCount> statusPanels_{};
    bool showCompleted_ = true; // false when the last show handler ended in an error
};

// The one main window, set when it is constructed.
extern TForm1 *Form1;
