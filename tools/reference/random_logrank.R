#!/usr/bin/env Rscript
# Random partitions scored by the log-rank test, simulated from their definition
# with the survival package's survdiff as the scorer.
#
# Each partition draws its size s = floor(U W) with U uniform on (0, 1) and W the
# number of observations, puts a simple random sample of s observations into A
# and scores the split by survdiff's chi-square (0 when a side is empty). The
# script prints the log-rank of the tested split, the share of random partitions
# whose G reaches it (ties count) and what that share makes of N partitions.
#
# Usage: Rscript random_logrank.R FILE.csv TIME EVENT 'R-EXPRESSION-FOR-A' [SIMS [N [SEED]]]
# Example (lung, A = age > 55):
#   Rscript random_logrank.R examples/lung.csv time dead 'age > 55' 100000 2000
suppressMessages(library(survival))
args <- commandArgs(trailingOnly = TRUE)
d <- read.csv(args[1], na.strings = c(".", "?", ""))
time <- d[[args[2]]]
event <- d[[args[3]]]
tested <- with(d, eval(parse(text = args[4])))
sims <- if (length(args) >= 5) as.integer(args[5]) else 100000L
n <- if (length(args) >= 6) as.integer(args[6]) else 2000L
set.seed(if (length(args) >= 7) as.integer(args[7]) else 1L)
keep <- !is.na(time) & !is.na(event) & !is.na(tested)
time <- time[keep]; event <- event[keep]; tested <- tested[keep]
w <- length(time)

score <- function(a) {
  if (all(a) || !any(a)) return(0)
  survdiff(Surv(time, event) ~ a)$chisq
}
g_test <- score(tested)
gs <- vapply(seq_len(sims), function(i) {
  a <- logical(w)
  a[sample.int(w, floor(runif(1) * w))] <- TRUE
  score(a)
}, numeric(1))
p <- mean(gs >= g_test)
cat(sprintf("W = %d, G_test = %.6f\n", w, g_test))
cat(sprintf("share reaching G_test over %d partitions = %.5f (s.e. %.5f)\n", sims, p, sqrt(p * (1 - p) / sims)))
cat(sprintf("expected count of %d = %.1f, sd of the count %.1f\n", n, n * p, sqrt(n * p * (1 - p))))
