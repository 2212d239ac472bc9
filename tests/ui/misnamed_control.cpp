// Never builds: the window's code names a control the window does not have,
// and a control is looked up under a name its description does not hold.
#include "frmquenlo_form.cpp"

void misnamed(quenlo::Controls &controls) { controls.control(quenlo::frmquenlo::txtinptu); }
[[maybe_unused]] const quenlo::ControlId renamed = quenlo::controlid(quenlo::kControls, "cmdFix");
