// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VersionInfo.h"

TVersionInfo::TVersionInfo(QObject* parent)
    : QObject(parent)
#ifdef KOLVA_VERSION
    , version_(QStringLiteral(KOLVA_VERSION))
#endif
{
}

void TVersionInfo::SetFileVersionLabel(QLabel* label)
{
    label_ = label;
    if (label_)
        label_->setText(version_);
}
