#include "nds/AttributeTable.h"

#include <array>

namespace welcomer {
namespace {

struct AttributeRow {
  const char* name;
  uint8_t syntax;
};

constexpr std::array<AttributeRow, kAttributeCount> kAttributes = {{
    {"Account Balance", 22},                  // 0
    {"ACL", 17},                              // 1
    {"Aliased Object Name", 1},               // 2
    {"Allow Unlimited Credit", 7},            // 3
    {"Authority Revocation", 9},              // 4
    {"Back Link", 23},                        // 5
    {"Bindery Object Restriction", 8},        // 6
    {"Bindery Property", 9},                  // 7
    {"Bindery Type", 5},                      // 8
    {"C", 3},                                 // 9
    {"CA Private Key", 9},                    // 10
    {"CA Public Key", 9},                     // 11
    {"Cartridge", 3},                         // 12
    {"Certificate Revocation", 9},            // 13
    {"Certificate Validity Interval", 27},    // 14
    {"Object Class", 3},                      // 15
    {"CN", 3},                                // 16
    {"Convergence", 8},                       // 17
    {"Cross Certificate Pair", 9},            // 18
    {"Default Queue", 1},                     // 19
    {"Description", 3},                       // 20
    {"Detect Intruder", 7},                   // 21
    {"Device", 1},                            // 22
    {"Revision", 8},                          // 23
    {"EMail Address", 14},                    // 24
    {"External Name", 9},                     // 25
    {"Equivalent To Me", 1},                  // 26
    {"External Synchronizer", 9},             // 27
    {"Facsimile Telephone Number", 11},       // 28
    {"Full Name", 3},                         // 29
    {"Generational Qualifier", 3},            // 30
    {"GID", 8},                               // 31
    {"Given Name", 3},                        // 32
    {"Group Membership", 1},                  // 33
    {"High Convergence Sync Interval", 27},   // 34
    {"Higher Privileges", 1},                 // 35
    {"Home Directory", 15},                   // 36
    {"Host Device", 1},                       // 37
    {"Host Resource Name", 3},                // 38
    {"Host Server", 1},                       // 39
    {"Inherited ACL", 17},                    // 40
    {"Initials", 3},                          // 41
    {"Intruder Attempt Reset Interval", 27},  // 42
    {"Intruder Lockout Reset Interval", 27},  // 43
    {"L", 3},                                 // 44
    {"Language", 3},                          // 45
    {"Last Login Time", 24},                  // 46
    {"Last Referenced Time", 19},             // 47
    {"Locked By Intruder", 7},                // 48
    {"Lockout After Detection", 7},           // 49
    {"Login Allowed Time Map", 9},            // 50
    {"Login Disabled", 7},                    // 51
    {"Login Expiration Time", 24},            // 52
    {"Login Grace Limit", 8},                 // 53
    {"Login Grace Remaining", 22},            // 54
    {"Login Intruder Address", 12},           // 55
    {"Login Intruder Attempts", 22},          // 56
    {"Login Intruder Limit", 8},              // 57
    {"Login Intruder Reset Time", 24},        // 58
    {"Login Maximum Simultaneous", 8},        // 59
    {"Login Script", 21},                     // 60
    {"Login Time", 24},                       // 61
    {"Low Convergence Reset Time", 24},       // 62
    {"Low Convergence Sync Interval", 27},    // 63
    {"Mailbox ID", 3},                        // 64
    {"Mailbox Location", 1},                  // 65
    {"Member", 1},                            // 66
    {"Memory", 8},                            // 67
    {"Message Routing Group", 1},             // 68
    {"Message Server", 1},                    // 69
    {"Messaging Database Location", 15},      // 70
    {"Messaging Server", 1},                  // 71
    {"Messaging Server Type", 3},             // 72
    {"Minimum Account Balance", 8},           // 73
    {"Network Address", 12},                  // 74
    {"Network Access Restriction", 12},       // 75
    {"NNS Domain", 3},                        // 76
    {"Notify", 25},                           // 77
    {"O", 3},                                 // 78
    {"Obituary", 9},                          // 79
    {"Object Class", 20},                     // 80
    {"Operator", 1},                          // 81
    {"OU", 3},                                // 82
    {"Owner", 1},                             // 83
    {"Page Description Language", 4},         // 84
    {"Partition Control", 25},                // 85
    {"Partition Creation Time", 19},          // 86
    {"Password Allow Change", 7},             // 87
    {"Password Expiration Interval", 27},     // 88
    {"Password Expiration Time", 24},         // 89
    {"Password Minimum Length", 8},           // 90
    {"Password Required", 7},                 // 91
    {"Password Unique Required", 7},          // 92
    {"Passwords Used", 9},                    // 93
    {"Path", 15},                             // 94
    {"Physical Delivery Office Name", 3},     // 95
    {"Postal Address", 18},                   // 96
    {"Postal Code", 3},                       // 97
    {"Postal Office Box", 3},                 // 98
    {"Postmaster", 1},                        // 99
    {"Print Job Configuration", 21},          // 100
    {"Print Server", 25},                     // 101
    {"Printer", 25},                          // 102
    {"Printer Configuration", 9},             // 103
    {"Printer Control", 21},                  // 104
    {"Private Key", 9},                       // 105
    {"Profile", 1},                           // 106
    {"Profile Membership", 1},                // 107
    {"Public Key", 9},                        // 108
    {"Queue", 25},                            // 109
    {"Queue Directory", 3},                   // 110
    {"Received Up To", 19},                   // 111
    {"Reference", 1},                         // 112
    {"Replica", 16},                          // 113
    {"Replica Up To", 9},                     // 114
    {"Resource", 1},                          // 115
    {"Revision", 22},                         // 116
    {"Role Occupant", 1},                     // 117
    {"S", 3},                                 // 118
    {"SA", 3},                                // 119
    {"SAP Name", 3},                          // 120
    {"Security Equals", 1},                   // 121
    {"Security Flags", 8},                    // 122
    {"See Also", 1},                          // 123
    {"Serial Number", 4},                     // 124
    {"Server", 1},                            // 125
    {"Server Holds", 26},                     // 126
    {"Status", 8},                            // 127
    {"Supported Connections", 8},             // 128
    {"Supported Gateway", 3},                 // 129
    {"Supported Services", 3},                // 130
    {"Supported Typefaces", 3},               // 131
    {"Surname", 3},                           // 132
    {"Synchronizes Up To", 19},               // 133
    {"Telephone Number", 10},                 // 134
    {"Title", 3},                             // 135
    {"Type Creator Map", 21},                 // 136
    {"UID", 8},                               // 137
    {"Unknown", 0},                           // 138
    {"Unknown Base Class", 3},                // 139
    {"User", 1},                              // 140
    {"Version", 3},                           // 141
    {"Volume", 1},                            // 142
}};

constexpr uint8_t kIntegerSyntax = 8;

}  // namespace

std::string AttributeName(uint8_t attribute) {
  if (attribute >= kAttributes.size())
    return std::string();
  return kAttributes[attribute].name;
}

uint8_t AttributeSyntax(uint8_t attribute) {
  if (attribute >= kAttributes.size())
    return kIntegerSyntax;
  return kAttributes[attribute].syntax;
}

}  // namespace welcomer
