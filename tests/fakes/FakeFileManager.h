#pragma once

#include "core/browse/FileManager.h"

#include <QStringList>

class FakeFileManager final : public chimebox::browse::FileManagerLauncher
{
public:
    void open(const QString &folder) override { opened.append(folder); }

    QStringList opened;
};
