// What the engine link control (TXMMR) reads of a toggle button that switches an engine
// function: the function it names (AFC, NET, ATC, BPF, LMS, SQL, REV, UOS, NOT) and whether it
// is pressed in, and which button's click is being delivered now. The visual button (TXMMBtn)
// is one; the link control needs no widgets to read it.
#pragma once

#include <QString>

namespace xmm {

class EngineSwitchButton {
public:
    virtual QString engineSwitch() const = 0;
    virtual bool pressedIn() const = 0; // as the library reads it: no call is noted

    // The button whose click is being delivered now; nothing outside a click.
    static const EngineSwitchButton *clicking() { return clicking_; }

protected:
    EngineSwitchButton() = default;
    ~EngineSwitchButton() = default;

    // Delivers a click: clicking() names this button while deliver() runs (a click's handler
    // may pump events, and so deliver other clicks within it).
    template <typename Deliver> void deliverClick(Deliver deliver)
    {
        const EngineSwitchButton *const outer = clicking_;
        clicking_ = this;
        deliver();
        clicking_ = outer;
    }

private:
    static inline const EngineSwitchButton *clicking_ = nullptr;
};

} // namespace xmm
