// WizardScreen: a short screen that asks for a few fields, sends one request
// to a service and then says how it went. Above the fields stand a bold
// header and, once a request has succeeded, a body text; a busy indicator
// turns while the request is pending.
//
// The request's completion may come after the screen has gone: it carries a
// number, not the screen's address, and a number whose screen is gone is
// dropped (completionContext / the completion callback).
#pragma once

#include "forms/account_form.h"

#include "kestrova/bus_records.h"

namespace kestrova::connection {

class WizardScreen : public AccountForm {
  protected:
    WizardScreen();
    ~WizardScreen() override;

    // The window with its header; false when it could not be made.
    bool createWizard(uint32_t caption, uint32_t header);
    void setHeader(uint32_t text);
    // Shows the body text under the header.
    void setBody(uint32_t text);
    void setBusy(bool busy);
    // A request is on its way: the header says so, the fields are disabled
    // and the busy indicator turns.
    void showPending(uint32_t header, int pendingStep);
    // The last step: the next key says "Finish" and the cancel key goes.
    void showFinish();
    void layOut() override;

    // For the request records: the callback and its context.
    static RY_ResponseCallback completion();
    void* completionContext() const;
    // The answer to the pending request, while the screen still exists.
    virtual void onCompleted(int64_t result) = 0;

    int step = 0;

  private:
    static void complete(void* context, const int64_t* result, uint32_t resultHigh);

    uintptr_t number_;
    platform::HWND header_ = nullptr;
    platform::HWND body_ = nullptr;
    platform::HWND busy_ = nullptr;
};

} // namespace kestrova::connection
