#pragma once

#include "platform/forms/Form.h"

#include <QPointer>

#include <functional>

namespace forms {

// The one instance of a window the program keeps, made on first use. While
// it is loaded (shown, or hidden by its OK) show() shows that same instance
// again; once its close box has unloaded it, show() makes and loads a new one.
// The holder deletes the instance still loaded when it goes, so none outlives
// the window that holds it.
class SharedForm {
public:
    explicit SharedForm(std::function<Form*()> make) : make_(std::move(make)) {}
    ~SharedForm() { delete form_.data(); }
    SharedForm(const SharedForm&) = delete;
    SharedForm& operator=(const SharedForm&) = delete;

    Form* show() {
        if (!form_ || form_->isUnloaded())
            form_ = make_(); // has no owner window; the holder deletes it
        form_->Show();
        // cppcheck-suppress CastIntegerToAddressAtReturn ; a QPointer, not an integer
        return form_;
    }

private:
    std::function<Form*()> make_;
    QPointer<Form> form_;
};

} // namespace forms
