#include "platform/settings_store.h"

#include <QSettings>

namespace {
const QString Name = QStringLiteral("tervolin");

QString pathOf(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, Name, Name))
{ }

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QString path = pathOf(section, key);
    if (const auto kept = m_overlay.constFind(path); kept != m_overlay.constEnd())
        return *kept;
    const QVariant v = m_settings->value(path);
    return v.isValid() ? v.toString() : defaultValue;
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value)
{
    if (m_readOnly)
        m_overlay.insert(pathOf(section, key), value);
    else
        m_settings->setValue(pathOf(section, key), value);
}

void SettingsStore::sync()
{
    if (!m_readOnly)
        m_settings->sync();
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

void SettingsStore::makeReadOnly()
{
    // What was set before is the user's own and goes to the file as it would have.
    m_settings->sync();
    m_readOnly = true;
}
