#pragma once

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

// Of the controls a run-time has built, each with a pointer `description`
// to its stored form, the one named `name` (at `index` in its array), or
// nullptr.
template <class Built>
const Built *findbuilt(const std::vector<Built> &built, std::string_view name, int index)
{
    for (const auto &control : built)
        if (control.description->name == name && control.description->index == index)
            return &control;
    return nullptr;
}

} // namespace quenlo
