#include "symbols/Forms.h"

#include "symbols/detail50/Detail50Forms.h"
#include "symbols/elements/ElementForms.h"
#include "symbols/elevation/ElevationForms.h"
#include "symbols/plan100/Plan100Forms.h"

namespace quendra {

std::vector<const FormDefinition *> allForms()
{
    std::vector<const FormDefinition *> all;
    for (const auto &group : {plan100Forms(), detail50Forms(), elevationForms(), elementForms()})
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

const FormDefinition *findForm(std::string_view name)
{
    for (const FormDefinition *f : allForms())
        if (f->name == name) return f;
    return nullptr;
}

} // namespace quendra
