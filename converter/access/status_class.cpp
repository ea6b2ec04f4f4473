// The status table (layouts/data_status_classes.h) on the converter's file statuses.
#include "converter/access/status_class.h"

#include "layouts/data_status_classes.h"

namespace dunax::converter::access {

platform::FileStatus classifyDataStatus(platform::FileStatus status) {
  const layouts::StatusPair statusClass =
      layouts::classOfDataStatus({status.code[0], status.code[1]});
  return {statusClass.first, statusClass.second};
}

}  // namespace dunax::converter::access
