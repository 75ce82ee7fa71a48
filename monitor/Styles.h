#pragma once

#include "EventClass.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace tarnwick {

// The style repository `styles` of the main window: one background colour per event class (the
// row colours of the live list and of the report), and stEven, stOdd and stSelected, which no
// view applies. Styles are named as the settings know them ("stBoxCover"); names compare without
// regard to case.
class Styles : public QObject
{
    Q_OBJECT
public:
    explicit Styles(QObject *parent = nullptr);

    // Every style in a fixed order: the eleven class styles in EventClass order, then stEven,
    // stOdd, stSelected.
    static const QStringList &styleNames();
    // The styles whose colours are stored properties of the main window, in the order in which
    // they are stored: every style except stAlarm and stSelected.
    static const QStringList &storedStyleNames();
    // The stored property's value name: "stBoxCover" -> "stBoxCover_Color".
    static QString storedValueName(const QString &styleName);
    static QColor defaultColour(const QString &styleName); // invalid for an unknown name

    // 0x00BBGGRR, the form in which colours are stored.
    static quint32 toStoredColour(const QColor &colour);
    static QColor fromStoredColour(quint32 bgr);

    bool hasStyle(const QString &styleName) const { return indexOf(styleName) >= 0; }
    // Throws Error for an unknown style name.
    QColor colour(const QString &styleName) const;
    void setColour(const QString &styleName, const QColor &colour);
    quint32 storedColour(const QString &styleName) const
    {
        return toStoredColour(colour(styleName));
    }
    void setStoredColour(const QString &styleName, quint32 bgr)
    {
        setColour(styleName, fromStoredColour(bgr));
    }

    // The row colour of a class; nothing for None, whose rows keep the view's own look. Cheap
    // enough for every painted cell.
    std::optional<QColor> classColour(EventClass cls) const;

Q_SIGNALS:
    // A colour changed; views repaint.
    void colourChanged(const QString &styleName, const QColor &colour);

private:
    static int indexOf(const QString &styleName);

    std::array<QColor, 14> m_colours;
};

} // namespace tarnwick
