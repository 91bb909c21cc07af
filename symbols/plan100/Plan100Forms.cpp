#include "Plan100Forms.h"

#include "fix100.h"
#include "hikitigai100.h"
#include "hikitigaito100.h"
#include "katabiraki100.h"
#include "katabirakito100.h"
#include "kataorito100.h"
#include "ryouhiraki100.h"
#include "ryouorito100.h"
#include "tatejiku100.h"
#include "yonhonhiki100.h"

namespace quendra {

// In the order of the menu "1/100用建具(&Y)".
std::vector<const FormDefinition *> plan100Forms()
{
    return {
        &hikitigai100(),    // 引違イ窓
        &hikitigaito100(),  // 引違イ戸
        &katabiraki100(),   // 片開キ窓
        &fix100(),          // ＦＩＸ窓
        &tatejiku100(),     // 竪軸回転窓
        &katabirakito100(), // 片開キ戸
        &ryouhiraki100(),   // 両開キ戸
        &ryouorito100(),    // 両折リ戸
        &kataorito100(),    // 片折リ戸
        &yonhonhiki100(),   // ４本引戸
    };
}

} // namespace quendra
