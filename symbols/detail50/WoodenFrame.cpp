#include "symbols/detail50/WoodenFrame.h"

#include "symbols/common/FormParts.h"

namespace quendra {

JambForm woodenFrame()
{
    JambForm j;
    j.drawCaption = "木枠作図(&A)";
    j.inputs = {
        combo("Combo1", "壁厚仕上共(&K)", "90", {"90", "100", "115", "125", "150", "160", "170", "175"})};
    j.basePoint = widthAtLeast(90);
    j.tabOrder = JambForm::TabOrder::InputsLast;
    return j;
}

} // namespace quendra
