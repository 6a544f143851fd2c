#pragma once

#include <QString>

namespace chimebox::browse {

// The file list `File1` as the playback rules and the tick see it.
class FileListView
{
public:
    virtual ~FileListView() = default;

    // The folder whose files are listed.
    virtual QString path() const = 0;
    // -1 when nothing is selected.
    virtual int listIndex() const = 0;
    virtual void setListIndex(int index) = 0;
    virtual int listCount() const = 0;
    // The file name at index, without folder; empty text outside the list.
    virtual QString item(int index) const = 0;
};

} // namespace chimebox::browse
