#include "qt/ports/portwatcher.h"

#include <QMetaObject>

#include <system_error>

namespace tunedeck {

PortWatcher::PortWatcher(std::chrono::milliseconds interval, QObject *parent) : QObject(parent)
{
    inputs_ = listPorts(PortDirection::Input);
    outputs_ = listPorts(PortDirection::Output);
    connect(&timer_, &QTimer::timeout, this, &PortWatcher::listInBackground);
    timer_.start(interval);
}

PortWatcher::~PortWatcher()
{
    // An answer on its way is dropped with the object's posted events.
    if (lister_.joinable())
        lister_.join();
}

void PortWatcher::refresh()
{
    take(listPorts(PortDirection::Input), listPorts(PortDirection::Output));
}

void PortWatcher::listInBackground()
{
    if (listing_)
        return;
    if (lister_.joinable())
        lister_.join(); // the last one has answered already
    const std::uint64_t asked = generation_;
    auto list = [this, asked] {
        PortListing inputs = listPorts(PortDirection::Input);
        PortListing outputs = listPorts(PortDirection::Output);
        QMetaObject::invokeMethod(
            this,
            [this, asked, inputs = std::move(inputs), outputs = std::move(outputs)]() mutable {
                listing_ = false;
                if (asked == generation_) // else refresh() answered since, more recently
                    take(std::move(inputs), std::move(outputs));
            },
            Qt::QueuedConnection);
    };
    try {
        lister_ = std::thread(list);
        listing_ = true;
    } catch (const std::system_error &) {
        refresh(); // no thread to spare: here, then
    }
}

void PortWatcher::take(PortListing inputs, PortListing outputs)
{
    ++generation_;
    if (inputs == inputs_ && outputs == outputs_)
        return;
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
    emit portsChanged();
}

} // namespace tunedeck
