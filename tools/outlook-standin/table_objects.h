#pragma once
// A folder's table (Folder.GetTable): the lightweight rowset Outlook offers
// for reading what a folder holds in one pass. Its Columns choose which
// properties each row has, by English name; rows come one at a time
// (GetNextRow, then Row.GetValues or Row.Item) or in blocks (GetArray), from
// where the table stands until EndOfTable. The rows are those the folder
// held when the table was made, as Outlook's are until it is refreshed.

#include "contact_store.h"
#include "server_state.h"

#include <oaidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane::standin {

// Which of `held` a filter keeps: all for an empty one, and a Jet condition
// on the message class, "[MessageClass] = 'IPM.Contact'", keeps the contacts
// (all there is). Nothing when the stand-in cannot read the filter: Outlook
// would take other conditions, which the stand-in refuses so that a test
// learns of any the importer starts to use.
std::optional<std::vector<StoredContact>> filtered(std::vector<StoredContact> held,
                                                   const std::wstring& filter);

Microsoft::WRL::ComPtr<IDispatch> makeTable(ServerState& state, std::vector<StoredContact> rows);

} // namespace quorvane::standin
