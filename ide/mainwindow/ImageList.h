// ImageList: the main window's toolbar images `img`, addressed by number as
// the toolbar buttons address them.  The pictures are drawn at run time, so
// the program ships no image files for them.
#pragma once

#include <QIcon>
#include <QMap>

class ImageList {
public:
    ImageList();

    // Image `index`, or an empty icon when the list has none of that number.
    QIcon Item(int index) const;
    bool Has(int index) const { return images_.contains(index); }

    // The design-time image number of a toolbar button key (0 for none).
    static int ImageOfKey(const QString& key);

private:
    QMap<int, QIcon> images_;
};
