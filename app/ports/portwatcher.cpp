#include "ports/portwatcher.h"

namespace tunedeck {

PortWatcher::PortWatcher(std::chrono::milliseconds interval, QObject *parent) : QObject(parent)
{
    inputs_ = listPorts(PortDirection::Input);
    outputs_ = listPorts(PortDirection::Output);
    connect(&timer_, &QTimer::timeout, this, &PortWatcher::refresh);
    timer_.start(interval);
}

void PortWatcher::refresh()
{
    PortListing inputs = listPorts(PortDirection::Input);
    PortListing outputs = listPorts(PortDirection::Output);
    if (inputs == inputs_ && outputs == outputs_)
        return;
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
    emit portsChanged();
}

} // namespace tunedeck
