// What the three servo widgets share: the export macro, the property bag that
// saves and loads their persisted properties, colour codes and the unit of
// their layout.
//
// Persistence.  Each widget has a save/load pair against a vxPropertyBag:
//   w.WriteProperties(bag)  writes its persisted keys, in its fixed order;
//   w.ReadProperties(bag)   reads the same keys, taking each key's default
//                           when the bag does not hold it (or holds a value of
//                           the wrong kind);
//   w.InitProperties()      what a newly placed widget starts with.
// A value equal to the key's default is not written (as a form designer saves
// only what differs), so an untouched widget saves an empty bag and loads
// back the same.  The bag can be kept in any key/value store: ToVariantMap and
// FromVariantMap give it as a QVariantMap (e.g. for QSettings).
//
// Property-changed notice.  Each widget emits PropertyChanged(name) when one
// of its persisted properties is assigned, so that a designer knows to save it.
//
// Colours are 32-bit colour codes: 0x00BBGGRR for a plain colour, or
// 0x80000000 + n for the system colour n (5 window, 8 window text, 15 button
// face, ...), which follows the application's palette.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QtGlobal>

#include <cstdint>

#if defined(VXSERVOSLIDE2_LIBRARY)
#define VXSERVO_EXPORT Q_DECL_EXPORT
#else
#define VXSERVO_EXPORT Q_DECL_IMPORT
#endif

class QMouseEvent;
class QWidget;

namespace vxServoSlide2Library {
// The library's major version, the one its file name carries.
VXSERVO_EXPORT int version();
}  // namespace vxServoSlide2Library

// Layout unit of the widgets: a pixel is 15 twips (the program's fixed
// conversion, so layouts given in twips read the same on every screen).
constexpr int kServoTwipsPerPixel = 15;
constexpr int ServoTwipsToPixels(int twips) { return (twips + kServoTwipsPerPixel / 2) / kServoTwipsPerPixel; }

// Colour codes.
constexpr int32_t kServoSystemColour = static_cast<int32_t>(0x80000000u);
VXSERVO_EXPORT QColor ServoColourToQColor(int32_t code);

// An ordered list of saved properties: key and value.  Keys are matched
// without regard to case, as the designers' files do.
class VXSERVO_EXPORT vxPropertyBag {
public:
    // The stored value of `key`, or `def` when the key is not there.
    QVariant ReadProperty(const QString& key, const QVariant& def = QVariant()) const;
    // Stores `value` under `key`, or removes the key when the value equals
    // `def` (a default is not saved).  A key written again keeps its place.
    void WriteProperty(const QString& key, const QVariant& value, const QVariant& def = QVariant());

    bool Contains(const QString& key) const;
    QStringList Keys() const;  // in the order written
    bool IsEmpty() const { return items_.isEmpty(); }

    QVariantMap ToVariantMap() const;
    static vxPropertyBag FromVariantMap(const QVariantMap& map);

private:
    int indexOf(const QString& key) const;
    QList<QPair<QString, QVariant>> items_;
};

namespace vxServoDetail {
// Reads a typed value from a bag: the default when the key is missing or its
// value does not convert (a number out of the type's range does not convert).
VXSERVO_EXPORT int32_t ReadLong(const vxPropertyBag& bag, const QString& key, int32_t def);
VXSERVO_EXPORT int16_t ReadInteger(const vxPropertyBag& bag, const QString& key, int16_t def);
VXSERVO_EXPORT bool ReadBoolean(const vxPropertyBag& bag, const QString& key, bool def);
VXSERVO_EXPORT QFont ReadFont(const vxPropertyBag& bag, const QString& key, const QFont& def);
VXSERVO_EXPORT void WriteFont(vxPropertyBag& bag, const QString& key, const QFont& font, const QFont& def);

// The font a widget takes when no font was saved: its host's (the parent's)
// font, or the application's when it has no host.
VXSERVO_EXPORT QFont AmbientFont(const QWidget* w);

// The mouse buttons of a mouse event as the widgets' events carry them
// (vxKeyCodes.h): a press or release names its own button, a move those
// held.  Key codes and shift states are those of vxKeyCodes.h; positions
// are in twips.
VXSERVO_EXPORT int16_t ButtonsOf(const QMouseEvent* e);
}  // namespace vxServoDetail
