// TForm1, the terminal's one main window. Its widget set comes from RTTYMain.ui (each widget a
// member under its designer name); its handlers are defined in the folder of the subsystem they
// belong to, and each subsystem makes its own connections in one function.
#pragma once

#include "ui_RTTYMain.h"

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class OutsideDestroyWatch;
class QLabel;
class TDdeClientConv;
class TDdeClientItem;
class TXMMBtn;
class TXMMR;
class TXMMT;

class TForm1 : public QMainWindow, public Ui_TForm1 {
    Q_OBJECT
public:
    // beforeCreate runs once the window is built and connected, before its create handler: an
    // owner that must see the window's first events (those of start-up) connects there.
    explicit TForm1(QWidget *parent = nullptr,
                    const std::function<void(TForm1 &)> &beforeCreate = {});
    ~TForm1() override;

    // The engine link and the TCP link, owned by the window and not shown.
    TXMMR *XMMR;
    TXMMT *XMMT1;
    // The conversation with the host program and its two items. The items go before the
    // conversation when the window closes, without unlinking.
    std::unique_ptr<TDdeClientConv> DdeClientConv1;
    std::unique_ptr<TDdeClientItem> DdeClientItem1;
    std::unique_ptr<TDdeClientItem> DdeClientItem2;

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
    void XMMRNotice(std::int16_t fault, const QString &text);
    void XMMRPttEvent(std::int16_t btx);
    void XMMT1Connected(std::int16_t nIndex);
    void XMMT1Disconnected(std::int16_t nIndex);
    void XMMT1GetProfileName(std::int16_t nIndex, std::int16_t nProfile, QString *pStr);
    void XMMT1NotifyNMMT(std::int16_t nIndex, const std::int32_t *pNMMT);

    // --- tuning displays ---
    void XMMRNotifyFFT(const std::int16_t *pFFT, std::int16_t size, std::int16_t sampfreq);
    void XMMRNotifyXY(const std::int32_t *pXY);
    void XMMRNotifyNMMR(const std::int32_t *pNMMR);
    void XMMT1NotifyFFT(std::int16_t nIndex, const std::int16_t *pFFT, std::int16_t size,
                        std::int16_t sampfreq);
    void XMMT1NotifyXY(std::int16_t nIndex, const std::int32_t *pXY);
    void SpectramLMouseDown(std::int16_t freq);
    void SpectramRMouseDown(std::int16_t freq);
    void SpectramRMouseMove(std::int16_t freq);
    void SpectramRMouseUp(std::int16_t freq);
    void LevelLMouseDown(std::int16_t level);
    void Button7Click();
    void HighXYQuality1Click();
    void NOTHighXY1Click();

    // --- demodulator switches and presets ---
    void XMMBtn1LButtonClick();
    void XMMBtn2LButtonClick();
    void XMMBtn3LButtonClick();
    void XMMBtn4LButtonClick();
    void XMMBtn5LButtonClick();
    void XMMBtn6LButtonClick();
    void XMMBtn7LButtonClick();
    void XMMBtn9LButtonClick();
    void XMMBtn11LButtonClick();
    void XMMBtn15LButtonClick();
    void Button17Click();
    void Button27Click();
    void Button28Click();
    void Button15Click();
    void Button20Click();
    void Button21Click();
    void Button12Click();
    void Button13Click();

    // --- menus and information boxes ---
    void Exit2Click();
    void notyetavailable1Click();
    void About1Click();
    void Help2Click();
    void WindowsAudioPanel1Click();
    void Others1Click();

    // --- receive window ---
    void XMMRCharRcvd(std::int16_t bChar);
    void TextKeyPress(char &Key);
    void TextDblClick(const QPoint &at, bool shift);
    void Button14Click();
    void Clear2Click();

    // --- transmit path and transmit control ---
    void TransmitKeyPress(char &Key);
    void XMMT1CharRcvd(std::int16_t nIndex, std::int16_t bChar);
    void XMMT1PttEvent(std::int16_t nIndex, std::int16_t btx);
    void XMMBtn12LButtonClick();
    void XMMBtn13LButtonClick();
    void XMMBtn14LButtonClick();
    void Button5Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button6Click();
    void ClearTXWindow1Click();
    void StopsendingNOW1Click();
    void Receiveaftertransmission1Click();
    void SwitchtoTransmit1Click();
    void ClearTXbuffer1Click();

    // --- host conversation and radio-status decoding ---
    void DdeClientItem1Change();
    void DdeClientItem2Change();
    void DdeClientConv1Close();
    void Edit7Change();
    void Edit1Change();
    void SpinEdit4Change();
    void CheckBox1Click();
    void SplitStatusFields(const QString &text);

    // --- message macros ---
    void Button16Click();
    void Button19Click();
    void Button22Click();
    void Button23Click();

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
    // Connects the same signal of each sender to its own handler.
    template <typename Sender, typename Signal>
    void bindAll(Signal signal,
                 std::initializer_list<std::pair<Sender *, void (TForm1::*)()>> handlers)
    {
        for (const auto &[sender, handler] : handlers)
            bind(sender, signal, handler);
    }

    void createStatusPanels();
    void connectEngineStart();
    void connectMenus();
    void connectTuningDisplays();
    void connectDemodulatorSwitches();
    void sendToggleSwitch(TXMMBtn *button, std::int32_t pressed, std::int32_t released);
    void connectReceiveWindow();
    void connectTransmitPath();
    void connectMacros();
    void connectHostLink();
    void connectStatusDecoding();
    QString statusCell(int column) const;
    void restartEngine(const char *commandLine);

    std::array<QLabel *, StatusPanelCount> statusPanels_{};
    std::array<QString, StatusPanelCount> statusTexts_; // whole, as set
    std::unique_ptr<OutsideDestroyWatch> destroyWatch_;
    bool showCompleted_ = true; // false when the last show handler ended in an error
};

// The one main window, set when it is constructed.
extern TForm1 *Form1;
