#pragma once

#include <QIcon>
#include <QList>

namespace trv {

// The tool bar and menu images, by index: 0 copy, 1 cut, 2 delete, 3 paste, 4 undo, 5 save,
// 6 open, 7 close, 8 load header, 9 about. Drawn at start, 16 x 16 pixels each.
QList<QIcon> ToolBarIcons();
// The application's 32 x 32 icon.
QIcon ApplicationIcon();

} // namespace trv
