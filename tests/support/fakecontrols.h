#pragma once

#include "controls.h"
#include "error.h"
#include "form.h"

#include <map>

namespace quenlo::test {

// The controls of a window without a toolkit: each starts with the text and
// enabled state of its description and remembers what it is given.
class FakeControls final : public Controls {
public:
    struct Fake final : Control {
        std::string shown;
        bool on = true;
        std::string text() const override { return shown; }
        void settext(std::string_view text) override { shown = text; }
        bool enabled() const override { return on; }
        void setenabled(bool value) override { on = value; }
    };

    explicit FakeControls(const FormDescription &form)
    {
        for (const auto &control : form.controls) {
            auto &fake = controls_[controls_.size()]; // by its place in the description
            fake.shown = control.text;
            fake.on = control.enabled;
        }
    }

    Control &control(ControlId id) override
    {
        const auto found = controls_.find(id.place);
        if (found == controls_.end())
            throw ProgrammingError("fake window", "no control number " + std::to_string(id.place));
        return found->second;
    }

private:
    std::map<std::size_t, Fake> controls_;
};

} // namespace quenlo::test
