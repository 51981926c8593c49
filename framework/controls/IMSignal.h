// The signal type of the control tree: slots return long and take the event
// by constant reference; the result of a call is the last slot's result.
// Slots are connected at the back and called in the order of connection.
#pragma once

#include <boost/signals2/connection.hpp>
#include <boost/signals2/dummy_mutex.hpp>
#include <boost/signals2/last_value.hpp>
#include <boost/signals2/shared_connection_block.hpp>
#include <boost/signals2/signal.hpp>
#include <boost/signals2/signal_type.hpp>
#include <boost/signals2/trackable.hpp>

// Every signal of the tree lives on the UI thread, so the signals carry no
// lock of their own. Tracking of trackable objects works as with any mutex.
template <typename... Args>
using IMSignalOf = typename boost::signals2::signal_type<
    long(Args...), boost::signals2::keywords::combiner_type<boost::signals2::last_value<long>>,
    boost::signals2::keywords::mutex_type<boost::signals2::dummy_mutex>>::type;

template <typename E>
using IMSignal = IMSignalOf<const E&>;

// Fires a signal only when it has a connected slot (last_value<long> has no
// value to give back when no slot ran). A signal whose slots are all blocked
// counts as having no slot. Returns the last slot's result, or 0.
template <typename Signal, typename... Args>
long EmitSignal(Signal& signal, Args&&... args)
{
    if (signal.empty())
        return 0;
    try {
        return signal(std::forward<Args>(args)...);
    } catch (const boost::signals2::no_slots_error&) {
        return 0;
    }
}
