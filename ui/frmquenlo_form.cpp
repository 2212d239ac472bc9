// The window as it is stored: caption, client area and controls in tab
// order, in twips; and the controls its code names, checked against it.
#include "frmquenlo.h"

#include <array>

namespace quenlo {

namespace {

using enum ControlKind;

constexpr FontDescription kFixFont{"MS Sans Serif", 8.25, true};

constexpr std::array<ControlDescription, 5> kControls{{
    {.name = "cmdselect", .kind = CommandButton, .text = "&Select...",
     .left = 2040, .top = 60, .width = 855, .height = 355},
    {.name = "txtinput", .kind = TextBox, .text = "",
     .left = 120, .top = 480, .width = 5535, .height = 285, .readonly = true},
    {.name = "Label1", .index = 0, .kind = Label, .text = "MIRD project file name:",
     .left = 120, .top = 150, .width = 1680, .height = 195, .labelfor = "txtinput"},
    {.name = "cmdfix", .kind = CommandButton, .text = "Fix",
     .left = 5760, .top = 450, .width = 615, .height = 375, .enabled = false, .font = kFixFont},
    {.name = "Label1", .index = 1, .kind = Label,
     .text = "After selecting the project file, use the Fix button to fix the project file. "
             "Then you can open the project file with MIRD+ application.",
     .left = 240, .top = 840, .width = 4920, .height = 390, .wrap = true, .describesform = true},
}};

constexpr FormDescription kFrmquenlo{
    .name = "frmquenlo", .caption = " Quenlo", .width = 6435, .height = 1305, .controls = kControls,
    .takesdroppedfiles = true};

static_assert(wellformed(kFrmquenlo), "a control named twice, or a label naming no control");

} // namespace

const ControlId frmquenlo::cmdselect = controlid(kControls, "cmdselect");
const ControlId frmquenlo::txtinput = controlid(kControls, "txtinput");
const ControlId frmquenlo::cmdfix = controlid(kControls, "cmdfix");

const FormDescription &frmquenlo::description()
{
    return kFrmquenlo;
}

} // namespace quenlo
