#include "symbols/elements/ElementForms.h"

#include "symbols/elements/hasira.h"
#include "symbols/elements/kabe.h"
#include "symbols/elements/reberu.h"
#include "symbols/elements/tategukigou.h"
#include "symbols/elements/tourisin.h"
#include "symbols/elements/zumenwaku.h"

namespace quendra {

std::vector<const FormDefinition *> elementForms()
{
    return {&tourisin(), &zumenwaku(), &hasira(), &kabe(), &tategukigou(), &reberu()};
}

} // namespace quendra
