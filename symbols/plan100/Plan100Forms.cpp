#include "symbols/plan100/Plan100Forms.h"

#include "symbols/plan100/fix100.h"
#include "symbols/plan100/hikitigai100.h"
#include "symbols/plan100/hikitigaito100.h"
#include "symbols/plan100/katabiraki100.h"
#include "symbols/plan100/katabirakito100.h"
#include "symbols/plan100/kataorito100.h"
#include "symbols/plan100/ryouhiraki100.h"
#include "symbols/plan100/ryouorito100.h"
#include "symbols/plan100/tatejiku100.h"
#include "symbols/plan100/yonhonhiki100.h"

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
