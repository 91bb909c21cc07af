#include "hikitigaito100.h"

#include "Plan100Parts.h"
#include "common/FormParts.h"
#include "hikitigai100.h"

namespace quendra {

namespace {

FormDefinition define()
{
    FormDefinition f;
    f.name = "hikitigaito100";
    f.caption = "Quendra_LT(1/100用引違イ戸)";
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
