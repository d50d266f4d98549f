// ImageList: the main window's toolbar images `img`, addressed by number as
// the toolbar buttons address them (the toolbars' table,
// editor/ToolbarKeys.h, gives each key its number).  The pictures are drawn
// at run time, so the program ships no image files for them.
#pragma once

#include <QIcon>
#include <QMap>

class ImageList {
public:
    ImageList();

    // Image `index`, or an empty icon when the list has none of that number.
    QIcon Item(int index) const;
    bool Has(int index) const { return images_.contains(index); }

private:
    QMap<int, QIcon> images_;
};
