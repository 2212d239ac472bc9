#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quenlo {

// A window as it is stored: what the run-time builds it from. Positions and
// sizes are in twips (1440 to the inch); texts are UTF-8, and "&" marks the
// letter of a button's access key.

enum class ControlKind {
    CommandButton,
    TextBox, // one line
    Label,
};

struct FontDescription {
    std::string_view face;
    double points = 0;
    bool bold = false;
};

struct ControlDescription {
    std::string_view name;
    int index = -1; // its place in a control array; -1 when it stands alone
    ControlKind kind = ControlKind::Label;
    std::string_view text;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool enabled = true;
    bool wrap = false;     // a label's text wraps within its width
    bool readonly = false; // a text box shows its text but takes no typing
    std::optional<FontDescription> font; // none: the window's own
    std::string_view labelfor;           // a label: the control it names for assistive tools
    bool describesform = false;          // a label: its text describes the window to assistive tools
};

struct FormDescription {
    std::string_view name;
    std::string_view caption;
    int width = 0; // the client area
    int height = 0;
    std::span<const ControlDescription> controls; // in tab order
    bool takesdroppedfiles = false; // one file dropped anywhere on it goes to its code
};

// The order in which assistive tools are to meet the controls: the tab
// order, except that a label comes right before the control it names,
// where they look for a control's name. Indexes into `form.controls`.
std::vector<std::size_t> readingorder(const FormDescription &form);

// A control of a window as its code names it: its place in the
// description's list. The window's code takes each from controlid(), so that
// it names only controls its description holds.
struct ControlId {
    std::size_t place = 0;
    friend constexpr bool operator==(ControlId, ControlId) = default;
};

// Where the control named `name` (at `index` in its array) stands in
// `controls`, if it is there.
constexpr std::optional<std::size_t> placeof(std::span<const ControlDescription> controls, std::string_view name,
                                             int index = -1)
{
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].name == name && controls[i].index == index)
            return i;
    return std::nullopt;
}

// Never defined: reached while a program is compiled, it stops the build.
[[noreturn]] void nosuchcontrolinthedescription();

// The control named `name` (at `index` in its array) of a description,
// found while the program is compiled: a name it does not hold does not
// build.
consteval ControlId controlid(std::span<const ControlDescription> controls, std::string_view name, int index = -1)
{
    const auto place = placeof(controls, name, index);
    if (!place)
        nosuchcontrolinthedescription();
    return ControlId{*place};
}

// Whether each control of `form` has a name and index of its own, and each
// label names for assistive tools a control that stands alone.
constexpr bool wellformed(const FormDescription &form)
{
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        const auto &control = form.controls[i];
        if (control.name.empty() || placeof(form.controls, control.name, control.index) != i)
            return false;
        if (!control.labelfor.empty() && !placeof(form.controls, control.labelfor))
            return false;
    }
    return true;
}

// Of the controls a run-time has built, each with its `place`, the one at
// `id`, or nullptr.
template <class Built>
const Built *findbuilt(const std::vector<Built> &built, ControlId id)
{
    for (const auto &control : built)
        if (control.place == id.place)
            return &control;
    return nullptr;
}

} // namespace quenlo
