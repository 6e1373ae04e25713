// Keeps the support library non-empty while it has no portable helpers of its own.
