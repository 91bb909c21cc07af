#include "Plan100Forms.h"

#include "fix100.h"
#include "hikitigai100.h"
#include "hikitigaito100.h"
#include "katabiraki100.h"
#include "katabirakito100.h"
#include "tatejiku100.h"
#include "yonhonhiki100.h"

namespace quendra {

// In the order of the menu "1/100用建具(&Y)".
std::vector<const FormDefinition *> plan100Forms()
{
    return {&hikitigai100(), &hikitigaito100(), &katabiraki100(), &fix100(), &tatejiku100(), &katabirakito100(), &yonhonhiki100()};
}

} // namespace quendra
