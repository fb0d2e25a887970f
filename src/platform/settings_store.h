#pragma once

// Per-user settings: text values by section and key, read with a default. On Linux the file is
// $XDG_CONFIG_HOME/tervolin/tervolin.conf (~/.config when the variable is unset), with the
// sections as its groups.

#include <QHash>
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

    // From now on the user's settings are only read: what is set is kept for this run alone and
    // read back over them, and nothing reaches the file. A copy of the program looking into an
    // archive goes with the user's colours and widths, but its windows must not leave their
    // places and choices in the user's own settings.
    void makeReadOnly();
    bool readOnly() const { return m_readOnly; }

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_readOnly = false;
    QHash<QString, QString> m_overlay;
};
