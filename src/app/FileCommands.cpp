#include "app/FileCommands.h"

void FileCommands::Open() {}

bool FileCommands::Save(QMdiSubWindow*)
{
    return false;
}

bool FileCommands::SaveGraph(Chart&)
{
    return false;
}
