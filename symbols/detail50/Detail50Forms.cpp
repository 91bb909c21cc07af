#include "symbols/detail50/Detail50Forms.h"

#include "symbols/detail50/arumiwaku.h"
#include "symbols/detail50/hikitigai50.h"
#include "symbols/detail50/katabiraki50.h"
#include "symbols/detail50/mokuhikito.h"
#include "symbols/detail50/mokuhiraki.h"
#include "symbols/detail50/sutiruwaku.h"

namespace quendra {

std::vector<const FormDefinition *> detail50Forms()
{
    return {&hikitigai50(), &katabiraki50(), &arumiwaku(), &sutiruwaku(), &mokuhiraki(), &mokuhikito()};
}

} // namespace quendra
