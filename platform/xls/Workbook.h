#pragma once

#include "Sheet.h"

#include <QString>
#include <memory>

namespace tarnwick::xls {

// An Excel 97-2003 workbook (.xls: BIFF8 records in the "Workbook" stream of an OLE2 compound
// file), built in memory sheet by sheet and written by save(). The memory held is about the size
// of the file to be written.
class Workbook
{
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // Appends a worksheet. Throws Error when the name is empty, longer than 31 characters,
    // holds one of : \ / ? * [ ], or equals (ignoring case) the name of another sheet.
    Sheet &addSheet(const QString &name);
    bool hasSheet(const QString &name) const; // ignoring case
    int sheetCount() const;
    Sheet &sheet(int index);
    const Sheet &sheet(int index) const;

    // Writes the workbook to path, replacing an existing file. The file appears only complete:
    // it is written under a temporary name beside it and renamed at the end. Throws Error with a
    // message that names the path when the file cannot be created or written (no space left,
    // no permission); then no file, and no temporary file, is left behind and an existing file at
    // path is unchanged. A workbook without sheets is saved with one empty sheet "Sheet1".
    void save(const QString &path);

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace tarnwick::xls
