#pragma once

namespace forms {

// Shows the busy pointer while it lives: for waits the user can notice (a
// port that takes its time, a file another program holds locked), so the
// window never looks dead. Message and input boxes shown meanwhile keep the
// normal pointer.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

// The normal pointer while it lives, inside any busy wait: for boxes that
// wait for the user.
class NormalPointer {
public:
    NormalPointer();
    ~NormalPointer();
    NormalPointer(const NormalPointer&) = delete;
    NormalPointer& operator=(const NormalPointer&) = delete;

private:
    bool pushed_;
};

} // namespace forms
