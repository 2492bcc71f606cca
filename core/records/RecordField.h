#pragma once

#include <QMutex>

#include <utility>

// The records' "atomic" accessors: every field is read and written under the record's lock,
// so the cleaning worker and the main thread never see half a value.
template <class T>
T lockedGet(QMutex &mutex, const T &field)
{
    QMutexLocker lock(&mutex);
    return field;
}

template <class T, class V>
void lockedSet(QMutex &mutex, T &field, V &&value)
{
    // Assigned in place: a copy made first and swapped in makes GCC warn that an empty
    // optional's payload may be read uninitialised.
    QMutexLocker lock(&mutex);
    [[maybe_unused]] T old = std::exchange(field, std::forward<V>(value));
    lock.unlock();
    // the old value is released here, outside the lock (it may be a status object whose
    // release takes its spinner out of a view)
}
