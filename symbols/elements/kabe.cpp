#include "symbols/elements/kabe.h"

#include "symbols/common/FormParts.h"

namespace quendra {

namespace {

// Horizontal run, the base point on the reference line at its start.
Steps faces(double S, double N, double L)
{
    return {
        pt(0, S),         // 1 start S above the base point
        pt(L, 0, 3),      // 2 face y = S
        pt(-L, -(S + N)), // 3 start N below the base point
        pt(L, 0),         // 4 face y = -N
    };
}

Steps facesAndFinish(double S, double N, double L, double G, double U)
{
    return {
        pt(0, S),                 // 1
        pt(L, 0, 3),              // 2 face y = S
        pt(-L, -(S + N)),         // 3
        pt(L, 0, 3),              // 4 face y = -N
        pt(-L, S + N + G),        // 5
        pt(L, 0, 3),              // 6 finish y = S + G
        pt(-L, -(G + S + N + U)), // 7
        pt(L, 0),                 // 8 finish y = -(N + U)
    };
}

Outcome draw(const FormState &s)
{
    const double S = s.number("Combo1");
    const double N = s.number("Combo2");
    const double L = s.number("Text1");
    const double G = s.number("Text2");
    const double U = s.number("Text3");
    const bool plain = s.checked("Option1");
    if (!plain && !s.checked("Option2")) return rejected("オプションボタンをクリックして下さい。");
    if (!s.checked("Option3") && !s.checked("Option4")) return rejected("角度を入力して下さい。");
    const int angle = s.checked("Option3") ? 0 : 90; // the vertical run is the horizontal one turned
    const Steps rows = plain ? faces(S, N, L) : facesAndFinish(S, N, L, G, U);
    return Outcome().send(script("LINE ", turned(rows, angle)));
}

FormDefinition define()
{
    FormDefinition f;
    f.name = "kabe";
    f.caption = "Quendra_LT(壁作図)";
    f.menu = {"b", "y", "壁作図(&A)"};
    const std::vector<std::string> thicknesses = {"50", "60", "75", "90"};
    f.controls = {
        combo("Combo1", "壁厚(&S)", "50", thicknesses),
        combo("Combo2", "壁厚(&N)", "50", thicknesses),
        textBox("Text1", "壁長さ(&L)", ""),
        textBox("Text2", "外壁仕上厚(&G)", "10"),
        textBox("Text3", "内壁仕上厚(&U)", "30"),
        option("Option1", "仕上線無", true, "仕上線の有無"),
        option("Option2", "仕上線有", false, "仕上線の有無"),
        option("Option3", "水平(0度)", true, "壁の角度"),
        option("Option4", "垂直(90度)", false, "壁の角度"),
    };
    f.buttons = standardButtons("壁作図(&A)", BaseRule{}, draw);
    return f;
}

} // namespace

const FormDefinition &kabe()
{
    static const FormDefinition form = define();
    return form;
}

} // namespace quendra
