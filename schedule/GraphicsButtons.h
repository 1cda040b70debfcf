#pragma once

#include <QPixmap>

// The pictures of the graphics panel's pan and zoom buttons, drawn here rather than loaded.
namespace GraphicsButtons {

// A magnifier with a plus (zoom in) or a minus (zoom out); 48 x 22 pixels.
QPixmap zoomPicture(bool plus);
// An arrow pointing up, down, left or right; 23 x 34 pixels for up and down, 34 x 23 for
// left and right. arrow is Qt::UpArrow, Qt::DownArrow, Qt::LeftArrow or Qt::RightArrow.
QPixmap arrowPicture(Qt::ArrowType arrow);

} // namespace GraphicsButtons
