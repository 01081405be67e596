#include "window/pane_layout.h"

#include "playback/media_player.h"
#include "window/form1.h"
#include "window/picture_box.h"

namespace tandemo {

namespace {

// Below these sizes (in twips) the formulas give negative widths or heights.
constexpr float kNarrowestClient = 28.0f;
constexpr float kLowestClient = 15.0f;

} // namespace

void Form_Resize(Form1& form)
{
    if (form.ScaleWidth() < kNarrowestClient || form.ScaleHeight() < kLowestClient)
        return;

    PictureBox& picture1 = *form.Picture1();
    PictureBox& picture2 = *form.Picture2();
    // Single-precision throughout: W / 2 halves exactly, nothing is cut to whole twips here.
    form.setControlWidth(picture1, form.ScaleWidth() / 2 - 10);
    form.setControlHeight(picture1, form.ScaleHeight() - 15);
    form.setControlWidth(picture2, form.ScaleWidth() / 2 - 14);
    form.setControlLeft(picture2, static_cast<float>(form.controlGeometry(picture1).width) +
                                      static_cast<float>(form.controlGeometry(picture1).left) + 7);
    form.setControlHeight(picture2, form.ScaleHeight() - 15);
    form.setControlWidth(*form.MediaPlayer1(), form.ScaleWidth() / 2 - 10);
    form.setControlHeight(*form.MediaPlayer1(), form.ScaleHeight() - 13);
    form.setControlWidth(*form.MediaPlayer2(), form.ScaleWidth() / 2 - 10);
    form.setControlHeight(*form.MediaPlayer2(), form.ScaleHeight() - 13);
}

} // namespace tandemo
