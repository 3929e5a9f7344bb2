#pragma once
#include <QObject>
#include <QTimer>

// The ticks that repeat a held key. The keyboards run on a timer; tests drive a virtual clock
// of their own through the same interface.
class TTickSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;

Q_SIGNALS:
    void Tick();
};

class TTimerTicks : public TTickSource {
    Q_OBJECT
public:
    explicit TTimerTicks(QObject* parent = nullptr) : TTickSource(parent) {
        connect(&FTimer, &QTimer::timeout, this, &TTickSource::Tick);
    }
    void Start(int intervalMs) override { FTimer.start(intervalMs); }
    void Stop() override { FTimer.stop(); }
    bool IsActive() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};
