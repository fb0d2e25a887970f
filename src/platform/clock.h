#pragma once

// The present date and time, for the names the program proposes for backups and workbooks.

#include <QDateTime>

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime time) : m_time(std::move(time)) { }
    QDateTime now() const override { return m_time; }
    void set(const QDateTime& time) { m_time = time; }

private:
    QDateTime m_time;
};
