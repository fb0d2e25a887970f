#pragma once

// Per-user settings: text values by section and key, read with a default. On Linux the file is
// $XDG_CONFIG_HOME/tervolin/tervolin.conf (~/.config when the variable is unset), with the
// sections as its groups.

#include <QString>
#include <memory>

class QSettings;

class SettingsStore
{
public:
    SettingsStore();
    ~SettingsStore();

    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    // Written to disk now (it is written at the end of the run anyway).
    void sync();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
