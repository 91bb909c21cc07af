#include "ElementForms.h"

#include "hasira.h"
#include "kabe.h"
#include "reberu.h"
#include "tategukigou.h"
#include "tourisin.h"
#include "zumenwaku.h"

namespace quendra {

std::vector<const FormDefinition *> elementForms()
{
    return {&tourisin(), &zumenwaku(), &hasira(), &kabe(), &tategukigou(), &reberu()};
}

} // namespace quendra
