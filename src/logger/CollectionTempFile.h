// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The temporary file "temp/DataSetsTemp.tmp" in the data folder: the memory image of the last
// successful download or of the last opened collection, byte for byte. A collection file is
// saved as a copy of it.

#include "logger/MemoryImage.h"

#include <QString>

QString collectionTempFilePath();

// Writes the image through a temporary file that then replaces the old copy, so a failed write
// leaves the last good copy as it was; returns false then, with the system's reason in *reason.
// Throws std::runtime_error whose message is the folder's path when the "temp" folder does not
// exist and cannot be created.
bool writeCollectionTempFile(const MemoryImage& image, QString* reason = nullptr);
