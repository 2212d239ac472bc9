#include "form.h"

namespace quenlo {

std::vector<std::size_t> readingorder(const FormDescription &form)
{
    const auto names = [](const ControlDescription &label, const ControlDescription &control) {
        return label.kind == ControlKind::Label && label.labelfor == control.name && control.index == -1;
    };
    const auto namesany = [&](const ControlDescription &label) {
        for (const auto &control : form.controls)
            if (names(label, control))
                return true;
        return false;
    };
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (namesany(form.controls[i]))
            continue;
        for (std::size_t j = 0; j < form.controls.size(); ++j)
            if (names(form.controls[j], form.controls[i]))
                order.push_back(j);
        order.push_back(i);
    }
    return order;
}

} // namespace quenlo
