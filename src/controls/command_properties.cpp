#include "controls/command.h"

#include <QFont>
#include <QLabel>

#include <limits>
#include <optional>

namespace tess {

namespace {

std::optional<QVariant> lookUp(const CommandProperties &stored, const QString &key)
{
    for (const auto &[name, value] : stored) {
        if (name == key)
            return value;
    }
    return std::nullopt;
}

std::optional<bool> toBool(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong() != 0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const int number = text.toInt(&ok);
        return ok ? std::optional<bool>(number != 0) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<long long> toInteger(const QVariant &value, long long lowest, long long highest)
{
    if (value.typeId() == QMetaType::Bool || !value.canConvert<long long>())
        return std::nullopt;
    bool ok = false;
    const long long number = value.toLongLong(&ok);
    if (!ok || number < lowest || number > highest)
        return std::nullopt;
    return number;
}

std::optional<QFont> toFont(const QVariant &value)
{
    if (value.typeId() == QMetaType::QFont)
        return value.value<QFont>();
    if (value.typeId() == QMetaType::QString) {
        QFont font;
        if (font.fromString(value.toString()))
            return font;
    }
    return std::nullopt;
}

} // namespace

void Command::restoreProperties(const CommandProperties &stored)
{
    // Each key is applied as it is read; a value of the wrong kind leaves the
    // field as it was and the next key is read.
    const auto value = [&](const QString &key, QVariant fallback) {
        return lookUp(stored, key).value_or(std::move(fallback));
    };

    if (const auto enabled = toBool(value(CommandKey::Enabled, true)))
        m_enabled = *enabled;

    if (const QVariant caption = value(CommandKey::Caption, kDefaultCommandCaption);
        caption.canConvert<QString>() && caption.typeId() != QMetaType::QFont)
        m_lblMsg->setText(caption.toString());

    if (const auto font = lookUp(stored, CommandKey::Font)) {
        if (const auto parsed = toFont(*font))
            m_lblMsg->setFont(*parsed);
    } else {
        m_lblMsg->setFont(QFont()); // follow the host window's font
    }

    if (const auto firstRun = toInteger(value(CommandKey::FirstRun, 1), 0, 255))
        m_firstRun = std::uint8_t(*firstRun);

    if (const auto colour = toInteger(value(CommandKey::FontColour, 0), 0, 0xFFFFFF))
        setCaptionColour(Colour(*colour));

    if (const auto visible = toInteger(value(CommandKey::Visible, 1),
                                       std::numeric_limits<std::int16_t>::min(),
                                       std::numeric_limits<std::int16_t>::max())) {
        m_faceOpaque = *visible != 0;
        update();
    }

    RefreshNormalLook();
}

CommandProperties Command::storeProperties()
{
    CommandProperties stored;
    if (!m_enabled)
        stored.append({CommandKey::Enabled, false});
    if (Caption() != kDefaultCommandCaption)
        stored.append({CommandKey::Caption, Caption()});
    if (m_firstRun != 1)
        stored.append({CommandKey::FirstRun, int(m_firstRun)});
    if (Font() != hostFont())
        stored.append({CommandKey::Font, Font()});
    if (captionColour() != 0)
        stored.append({CommandKey::FontColour, qlonglong(captionColour())});
    if (!m_faceOpaque)
        stored.append({CommandKey::Visible, 0});
    RefreshNormalLook();
    return stored;
}

} // namespace tess
