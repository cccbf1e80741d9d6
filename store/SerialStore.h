#pragma once

// Typed operations of the record screens over the shared connection.
namespace SerialStore {
}
