// Menu option "1": the account folder tree.
#pragma once

namespace records {

// Creates the folder "Account" and its bucket folders AscII1 to AscII249,
// announcing each; existing folders and their files are left as they are,
// but for the temporary files that interrupted writes left in the bucket
// folders of either tree more than ten minutes ago, which are removed.
void create_folders();

}  // namespace records
