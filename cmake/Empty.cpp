// Stands in for a module that has no sources yet, so its library target still exists.
