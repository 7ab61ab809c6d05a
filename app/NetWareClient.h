#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nds/AttributeTable.h"

namespace welcomer {

/// The NetWare client as the program sees it: the current user's directory name and the
/// three value operations on one attribute of one object. Every call reports failure by its
/// result only; none throws and none shows anything.
class NetWareClient {
 public:
  virtual ~NetWareClient() = default;

  /// The current user's full directory name; empty when there is no directory.
  virtual std::string LoginID() = 0;

  /// Appends every value of `attribute` of `objectName` to `values`, in the order the directory
  /// delivers them. True when `values` holds at least one entry afterwards (earlier entries
  /// count too). An empty `contextName` means the default context.
  virtual bool ReadAttributeValues(const std::string& contextName, const std::string& objectName,
                                   TNWDSAttribute attribute, std::vector<std::string>& values) = 0;

  /// Adds `value` as one further value of the attribute; true when the directory accepted it.
  virtual bool AddAttributeValue(const std::string& contextName, const std::string& objectName,
                                 TNWDSAttribute attribute, const std::string& value) = 0;

  /// Removes the value equal to `value`; true when the directory accepted the removal.
  virtual bool RemoveAttributeValue(const std::string& contextName, const std::string& objectName,
                                    TNWDSAttribute attribute, const std::string& value) = 0;

  /// Why the directory cannot be used, or why the last failing operation failed, in plain words
  /// for an administrator (which library did not load and what the loader said, what the store
  /// answered). Empty when nothing is known to be wrong, also after a read that merely found no
  /// values.
  virtual std::string WhyUnusable() { return std::string(); }

  /// Changes from here to EndChanges may be stored together, at the cost of one sync: each
  /// still reports at once, but is kept only when EndChanges returns true. A directory that
  /// cannot do so stores each change at once and EndChanges returns true.
  virtual void BeginChanges() {}
  virtual bool EndChanges() { return true; }

  /// What the client has told since the last call: where the state came from, what the
  /// directory answered to a refused write. Shown in verbose mode only.
  virtual std::vector<std::string> TakeNotices() { return {}; }
};

/// Creates the program's NetWare client. It always succeeds: without a usable client it gives
/// one whose LoginID is empty and whose every operation fails without doing anything.
std::unique_ptr<NetWareClient> CreateNetWareClient();

}  // namespace welcomer
