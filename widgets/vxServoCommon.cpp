#include "vxServoCommon.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <limits>

#include "vxKeyCodes.h"

namespace vxServoSlide2Library {
int version() { return 2; }
}  // namespace vxServoSlide2Library

QColor ServoColourToQColor(int32_t code) {
    const auto u = static_cast<uint32_t>(code);
    if (u & 0x80000000u) {
        // System colours by their number, taken from the application palette.
        const QPalette pal = QApplication::palette();
        switch (u & 0xFFu) {
            case 5: return pal.color(QPalette::Base);              // window
            case 8: return pal.color(QPalette::Text);              // window text
            case 4: return pal.color(QPalette::Window);            // menu
            case 7: return pal.color(QPalette::WindowText);        // menu text
            case 13: return pal.color(QPalette::Highlight);        // highlight
            case 14: return pal.color(QPalette::HighlightedText);  // highlighted text
            case 15: return pal.color(QPalette::Button);           // button face
            case 16: return pal.color(QPalette::Dark);             // button shadow
            case 17: return pal.color(QPalette::PlaceholderText);  // grey text
            case 18: return pal.color(QPalette::ButtonText);       // button text
            case 20: return pal.color(QPalette::Light);            // button highlight
            case 24: return pal.color(QPalette::ToolTipBase);      // tip back
            case 23: return pal.color(QPalette::ToolTipText);      // tip text
            default: return pal.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(u & 0xFFu), static_cast<int>((u >> 8) & 0xFFu), static_cast<int>((u >> 16) & 0xFFu));
}

int vxPropertyBag::indexOf(const QString& key) const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i].first.compare(key, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant vxPropertyBag::ReadProperty(const QString& key, const QVariant& def) const {
    const int i = indexOf(key);
    return i < 0 ? def : items_[i].second;
}

void vxPropertyBag::WriteProperty(const QString& key, const QVariant& value, const QVariant& def) {
    const int i = indexOf(key);
    if (def.isValid() && value == def) {
        if (i >= 0) items_.removeAt(i);
        return;
    }
    if (i >= 0)
        items_[i].second = value;
    else
        items_.append({key, value});
}

bool vxPropertyBag::Contains(const QString& key) const { return indexOf(key) >= 0; }

QStringList vxPropertyBag::Keys() const {
    QStringList keys;
    for (const auto& item : items_) keys << item.first;
    return keys;
}

QVariantMap vxPropertyBag::ToVariantMap() const {
    QVariantMap map;
    for (const auto& item : items_) map.insert(item.first, item.second);
    return map;
}

vxPropertyBag vxPropertyBag::FromVariantMap(const QVariantMap& map) {
    vxPropertyBag bag;
    for (auto it = map.cbegin(); it != map.cend(); ++it) bag.WriteProperty(it.key(), it.value());
    return bag;
}

namespace vxServoDetail {

namespace {
// The value of `key` as a whole number in [lo, hi], or `def`.
qlonglong ReadWhole(const vxPropertyBag& bag, const QString& key, qlonglong def, qlonglong lo, qlonglong hi) {
    const QVariant v = bag.ReadProperty(key);
    if (!v.isValid()) return def;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok) {
        // A text such as "12.0" or "&HE0E0E0" is not a saved whole number.
        return def;
    }
    return (n < lo || n > hi) ? def : n;
}
}  // namespace

int32_t ReadLong(const vxPropertyBag& bag, const QString& key, int32_t def) {
    // Colour codes such as 0x80000008 are saved as unsigned numbers too.
    const qlonglong n =
        ReadWhole(bag, key, def, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max());
    return static_cast<int32_t>(static_cast<uint32_t>(n));
}

int16_t ReadInteger(const vxPropertyBag& bag, const QString& key, int16_t def) {
    return static_cast<int16_t>(
        ReadWhole(bag, key, def, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

bool ReadBoolean(const vxPropertyBag& bag, const QString& key, bool def) {
    const QVariant v = bag.ReadProperty(key);
    if (!v.isValid()) return def;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (ok) return n != 0;
    const QString s = v.toString().trimmed();
    if (s.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) return true;
    if (s.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) return false;
    return def;
}

QFont ReadFont(const vxPropertyBag& bag, const QString& key, const QFont& def) {
    const QVariant v = bag.ReadProperty(key);
    if (!v.isValid()) return def;
    if (v.typeId() == QMetaType::QFont) return v.value<QFont>();
    QFont f;
    return f.fromString(v.toString()) ? f : def;
}

void WriteFont(vxPropertyBag& bag, const QString& key, const QFont& font, const QFont& def) {
    bag.WriteProperty(key, font.toString(), def.toString());
}

QFont AmbientFont(const QWidget* w) {
    const QWidget* host = w ? w->parentWidget() : nullptr;
    return host ? host->font() : QApplication::font();
}

int16_t ButtonsOf(const QMouseEvent* e) {
    // A press or release names its own button; a move names those held.
    return vxKey::ButtonsOf(e->type() == QEvent::MouseMove ? e->buttons() : Qt::MouseButtons(e->button()));
}

}  // namespace vxServoDetail
