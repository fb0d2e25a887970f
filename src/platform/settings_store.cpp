#include "platform/settings_store.h"

#include <QSettings>

namespace {
const QString Name = QStringLiteral("tervolin");
}

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, Name, Name))
{ }

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QVariant v = m_settings->value(section + QLatin1Char('/') + key);
    return v.isValid() ? v.toString() : defaultValue;
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value)
{
    m_settings->setValue(section + QLatin1Char('/') + key, value);
}

void SettingsStore::sync()
{
    m_settings->sync();
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}
