#pragma once

#include "core/records/resultItem.h"

class AlertController;
class FileController;
class ShredController;
namespace platform {
template <class T>
class ArrayController;
}

// What a cleaning run reaches outside itself: the rows it cleans, the services it asks, the
// alert it waits on and where it reports its end. The results controller is one; a run needs
// nothing else of it.
class CleaningRunHost
{
public:
    virtual ~CleaningRunHost() = default;

    // The table's rows in their order; reloading redraws them (main thread).
    virtual platform::ArrayController<resultItem> *resultsArrayController() const = 0;
    // Sizes of the rows' files; none: sizes stay as the scan measured them.
    virtual FileController *fileControl() const = 0;
    // The removal engine; none: announced removals are dropped.
    virtual ShredController *shredControl() const = 0;
    // The running-application alert; none: the run never pauses for one.
    virtual AlertController *alertControl() const = 0;
    // The sender the run's posts go out under.
    virtual const void *runPostSender() const = 0;
    // The run's queue went down to `count` (main thread); at 0 the run has ended.
    virtual void observeOperationCount(int count) = 0;
    // The row at `index` is about to be cleaned (main thread); a host that shows the rows
    // keeps it in view.
    virtual void rowWillClean(int /*index*/) {}

protected:
    CleaningRunHost() = default;
    CleaningRunHost(const CleaningRunHost &) = default;
    CleaningRunHost &operator=(const CleaningRunHost &) = default;
};
