#include "Detail50Forms.h"

#include "arumiwaku.h"
#include "hikitigai50.h"
#include "katabiraki50.h"
#include "mokuhikito.h"
#include "mokuhiraki.h"
#include "sutiruwaku.h"

namespace quendra {

std::vector<const FormDefinition *> detail50Forms()
{
    return {&hikitigai50(), &katabiraki50(), &arumiwaku(), &sutiruwaku(), &mokuhiraki(), &mokuhikito()};
}

} // namespace quendra
