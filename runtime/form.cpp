#include "form.h"

#include <algorithm>

namespace quenlo {

const ControlDescription *findcontrol(const FormDescription &form, std::string_view name, int index)
{
    const auto found = std::find_if(form.controls.begin(), form.controls.end(),
                                    [&](const auto &control) { return control.name == name && control.index == index; });
    return found == form.controls.end() ? nullptr : &*found;
}

} // namespace quenlo
