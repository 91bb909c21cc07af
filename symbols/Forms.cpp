#include "Forms.h"

#include "detail50/Detail50Forms.h"
#include "elements/ElementForms.h"
#include "elevation/ElevationForms.h"
#include "plan100/Plan100Forms.h"

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
        if (f->name == name)
            return f;
    return nullptr;
}

} // namespace quendra
