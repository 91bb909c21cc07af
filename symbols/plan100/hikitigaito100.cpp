#include "symbols/plan100/hikitigaito100.h"

#include "symbols/common/FormParts.h"
#include "symbols/plan100/Plan100Parts.h"
#include "symbols/plan100/hikitigai100.h"

namespace quendra {

namespace {

FormDefinition define()
{
    FormDefinition f;
    f.name = "hikitigaito100";
    f.caption = "Quendra_LT(1/100用引違イ戸)";
    f.menu = {"c", "e", "引違イ戸"};
    f.controls = {
        combo("Combo1", "W寸法(&W)", "1700", {"1600", "1700", "1800"}),
        angleCombo(),
    };
    f.buttons = standardButtons("引違イ戸作図(&A)", widthAtLeast(1000), drawSlidingPair);
    f.tabOrder = inputsThenBackBeforeExit(f.controls);
    return f;
}

} // namespace

const FormDefinition &hikitigaito100()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
