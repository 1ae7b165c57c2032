// The one implementation behind the five log collections: each is a table of
// rows whose cells map one to one onto its item's properties.
#pragma once
#include <cstddef>

#include "automation/item_collection.h"
#include "automation/record_item.h"

struct LogColumn {
  int field;
  CellFormat format;
  const EnumTexts* texts = nullptr;  // for CellFormat::EnumText
};

struct LogTable {
  const char* select;           // reads every row
  const char* deleteStatement;  // empties the table
  const char* insertPrefix;     // followed by the cells joined by "|"
  const LogColumn* columns;     // in the table's column order
  std::size_t columnCount;
  int keyField;  // what Item and Remove compare a name with
};

template <class Interface, class ItemInterface, class ItemClass, const LogTable& kTable>
class LogCollection : public ItemCollection<Interface, ItemInterface, ItemClass> {
 public:
  // Reads every row; `owner` is kept alive while the collection lives.
  void Load(tSqlQueryEngine* engine, IUnknown* owner) {
    this->Bind(engine, owner);
    this->ReadRows(kTable.select, [](ItemClass& item, const RowCells& cells) {
      for (std::size_t i = 0; i < kTable.columnCount; ++i) {
        const LogColumn& column = kTable.columns[i];
        ReadCell(cells[i], column.format, column.texts, item.Field(column.field));
      }
      return true;
    });
  }

  // Values are written unquoted: a "|" inside one shifts the cells after it.
  HRESULT STDMETHODCALLTYPE SaveTable() override {
    return this->RewriteTable(kTable.deleteStatement, [](const ItemClass& item, tString& statement) {
      statement.Assign(kTable.insertPrefix);
      tString cell;
      for (std::size_t i = 0; i < kTable.columnCount; ++i) {
        const LogColumn& column = kTable.columns[i];
        if (i > 0) statement.Append('|');
        WriteCell(item.Field(column.field), column.format, column.texts, cell);
        statement.Append(cell);
      }
      return true;
    });
  }

 protected:
  int FindByName(const OLECHAR* name) const override { return this->FindByTextField(name, kTable.keyField); }
};
