#pragma once

#include "core/browse/FileListView.h"

#include <QString>
#include <QStringList>
#include <utility>

// The file list over plain names, counting how often each property is read.
class FakeFileList : public chimebox::browse::FileListView
{
public:
    FakeFileList() = default;
    FakeFileList(QString folder, QStringList names, int index = -1)
        : folder_(std::move(folder)), names_(std::move(names)), index_(index)
    {}

    mutable int pathReads = 0;
    mutable int indexReads = 0;
    mutable int countReads = 0;
    mutable int itemReads = 0;
    int indexWrites = 0;

    QString path() const override
    {
        ++pathReads;
        return folder_;
    }
    int listIndex() const override
    {
        ++indexReads;
        return index_;
    }
    void setListIndex(int index) override
    {
        ++indexWrites;
        index_ = index;
    }
    int listCount() const override
    {
        ++countReads;
        return int(names_.size());
    }
    QString item(int index) const override
    {
        ++itemReads;
        return index >= 0 && index < names_.size() ? names_.at(index) : QString();
    }

    // Shows another folder, with nothing selected.
    void show(const QString &folder, const QStringList &names)
    {
        folder_ = folder;
        names_ = names;
        index_ = -1;
    }
    // The selection as it stands, without counting a read.
    int selected() const { return index_; }

private:
    QString folder_;
    QStringList names_;
    int index_ = -1;
};
